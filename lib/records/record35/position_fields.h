// Field positions in the decoded trees of the position subtypes 2 and 16,
// whose native structure is the decoded tree itself (every long whole).
// The subtype table fixes these positions; a test checks them by name.
#pragma once

namespace d01ozu {

// Top level of subtypes 2 and 16, and their header and clock records.
enum PositionTop : int { kPosHdr = 0, kPosClk = 1, kPosList = 2 };
enum PositionHdr : int { kHdrWeek = 0, kHdrTime = 1 };
enum PositionClk : int { kClkReference = 0, kClkOffset = 1, kClkDrift = 2, kClkSystem = 3 };
enum PositionSystem : int { kSysClkType = 0, kSysOffset = 1 };
enum PositionSv : int { kSvId = 0, kSvSatType = 1, kSvFlags = 2 };
enum CovarianceField : int { kSigmaN = 0, kSigmaE = 1, kSigmaU = 2 };

// A position entry of subtype 2.
enum Sub2Pos : int {
  k2Valid,
  k2Flags,
  k2FixType,
  k2FixMode,
  k2FixInfo,
  k2AntennaNumber,
  k2RaimInfo,
  k2LatRef,
  k2LonRef,
  k2HgtRef,
  k2LatPos,
  k2LonPos,
  k2HgtPos,
  k2PosCov,
  k2LatVel,
  k2LonVel,
  k2HgtVel,
  k2VelCov,
  k2Hdop,
  k2Vdop,
  k2Tdop,
  k2Rms,
  k2UnitSd,
  k2CorrAge,
  k2NumSVsUsed,
  k2Svs,
};

// A position entry of subtype 16.
enum Sub16Pos : int {
  k16FixType,
  k16FixMode,
  k16RaimInfo,
  k16LatPos,
  k16LonPos,
  k16HgtPos,
  k16PosCov,
  k16LatVel,
  k16LonVel,
  k16HgtVel,
  k16Hdop,
  k16Vdop,
  k16Tdop,
  k16CorrAge,
  k16NumSVsUsed,
  k16Svs,
};

}  // namespace d01ozu
