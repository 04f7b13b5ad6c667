// d01ozu: conversion of the raw logs of GNSS survey receivers into the DAT,
// EPH, ION, MES, APP and summary outputs.
#pragma once

namespace d01ozu {

constexpr int kVersionMajor = 8;
constexpr int kVersionMinor = 109;

}  // namespace d01ozu
