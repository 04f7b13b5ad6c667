#include "testdata/record35_epochs.h"

#include <cstring>
#include <map>

namespace writers {

namespace {

const char* const kColumns19[] = {"epoch__receiveTime",
                                  "epoch__weekNum",
                                  "epoch__raimFault",
                                  "epoch__flags",
                                  "clock__referenceSystem",
                                  "clock__clkOffset",
                                  "_Na",
                                  "clock__system__rt_clktype",
                                  "clock__system__systemClockOffset",
                                  "clock__steerClkOffsetM",
                                  "clock__steerClkDriftMpS",
                                  "_Nb",
                                  "sv__svId",
                                  "sv__rt_sattype",
                                  "sv__antennaNumber",
                                  "sv__fdmaChannel",
                                  "sv__receiverChannel",
                                  "sv__svFlags",
                                  "sv__geomSlipCount",
                                  "sv__ionoSlipCount",
                                  "sv__azimuth",
                                  "sv__elevation",
                                  "_Nb_Na",
                                  "sv__meas__blockType",
                                  "sv__meas__trackType",
                                  "sv__meas__trackingStatus",
                                  "sv__meas__measFlags",
                                  "sv__meas__slipCount",
                                  "sv__meas__snr",
                                  "sv__meas__range",
                                  "sv__meas__phase",
                                  "sv__meas__doppler"};

int method19(const std::string& c) {
  for (const char* linear : {"epoch__receiveTime", "clock__clkOffset", "clock__steerClkOffsetM",
                             "sv__meas__slipCount", "sv__meas__phase"})
    if (c == linear) return 1;
  return c == "sv__meas__doppler" ? -1 : 0;
}

// The columns of an epoch, field by field.
std::map<std::string, std::vector<int64_t>> columns(const Epoch& e) {
  std::map<std::string, std::vector<int64_t>> c = {
      {"epoch__receiveTime", {e.time}},
      {"epoch__weekNum", {e.week}},
      {"epoch__raimFault", {e.raim}},
      {"epoch__flags", {e.flags}},
      {"clock__referenceSystem", {e.refsys}},
      {"clock__clkOffset", {e.clk}},
      {"_Na", {static_cast<int64_t>(e.systems.size())}},
      {"clock__steerClkOffsetM", {e.steer_offset}},
      {"clock__steerClkDriftMpS", {e.steer_drift}},
      {"_Nb", {static_cast<int64_t>(e.sats.size())}}};
  for (const auto& s : e.systems) {
    c["clock__system__rt_clktype"].push_back(s.first);
    c["clock__system__systemClockOffset"].push_back(s.second);
  }
  for (const Sat& s : e.sats) {
    const int64_t sv[] = {s.sv,      s.type, s.antenna, s.fdma, s.channel,
                          s.svflags, s.geom, s.iono,    s.az,   s.el};
    for (int k = 0; k < 10; ++k) c[kColumns19[12 + k]].push_back(sv[k]);
    c["_Nb_Na"].push_back(static_cast<int64_t>(s.meas.size()));
    for (const Meas& m : s.meas) {
      const int64_t v[] = {m.block, m.track, m.status, m.flags,  m.slips,
                           m.snr,   m.range, m.phase,  m.doppler};
      for (int k = 0; k < 9; ++k) c[kColumns19[23 + k]].push_back(v[k]);
    }
  }
  for (const char* name : kColumns19) c[name];  // empty columns too
  return c;
}

}  // namespace

// The writer's schema of subtype 19, as the receiver writes it.
std::string sub19_writer_schema() {
  std::vector<std::pair<std::string, std::string>> fields;
  for (const char* c : kColumns19) {
    const bool array = std::strstr(c, "__system__") || std::strncmp(c, "sv__", 4) == 0 ||
                       std::strcmp(c, "_Nb_Na") == 0;
    fields.push_back({c, array ? "{\"type\": \"array\", \"items\": \"long\"}" : "\"long\""});
  }
  return writer_schema("rec35_sub19", 5, fields);
}

Bytes sub19_body(const Epoch& e, DeltaCoder& coder, bool key) {
  const auto cols = columns(e);
  return avro_body(sub19_writer_schema(), [&](avro_value_t* v) {
    for (const char* name : kColumns19) {
      const std::vector<int64_t> coded = coder.code(name, cols.at(name), method19(name), key);
      avro_value_t f = field(v, name);
      if (avro_value_get_type(&f) == AVRO_INT64)
        avro_value_set_long(&f, coded[0]);
      else
        set_longs(v, name, coded);
    }
  });
}

}  // namespace writers
