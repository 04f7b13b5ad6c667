// rawsplit: unpacks receiver raw data files into DAT, EPH, ION, MES, APP and
// summary outputs.
int main() {
  return 0;
}
