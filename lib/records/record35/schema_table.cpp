#include "records/record35/schema_table.h"

namespace d01ozu {

namespace {

// Prediction methods the format leaves open: method 0 for every long of the
// delta-coded subtypes not named under "linear" or "plain".
constexpr SubtypeRow kRows[kRec35SubtypeCount] = {
    {2, 9, "Position & Attitude Record", true,
     "hdr: rec35_sub2_header_t {week: long; time: long}; "
     "clk: rec35_sub2_clock_t {referenceSystem: long; clkOffset: long; clkDrift: long; "
     "system: array<rec35_sub2_system_t {rt_clktype: long; systemClockOffset: long}>}; "
     "pos: array<rec35_sub2_position_t {valid: long; flags: long; fixType: long; "
     "fixMode: long; fixInfo: long; antennaNumber: long; raimInfo: long; latRef: long; "
     "lonRef: long; hgtRef: long; latPos: long; lonPos: long; hgtPos: long; "
     "poscov: rec35_sub2_ENU_covariance_t {sigmaN: long; sigmaE: long; sigmaU: long; "
     "sigmaEN: long; sigmaEU: long; sigmaNU: long}; latVel: long; lonVel: long; "
     "hgtVel: long; velcov: array<rec35_sub2_ENU_covariance_t>; hdop: long; vdop: long; "
     "tdop: long; rms: long; unitStandardDeviation: long; corrAge: long; "
     "numSVsUsed: long; svs: array<rec35_sub2_sv_t {svId: long; rt_sattype: long; "
     "flags: long}>; att: array<rec35_sub2_attitude_t {flags: long; attitudeRange: long; "
     "yaw: long; pitch: long; roll: long; sigmaRange: long; sigmaYaw: long; "
     "sigmaPitch: long; sigmaRoll: long; sigmaYawPitch: long; sigmaYawRoll: long; "
     "sigmaPitchRoll: long}>; fixDescription: long; sbas_prn: array<long>; "
     "posRefersToFlag: long}>; geoid: rec35_sub2_geoid_t {GeoidSeparation: long; "
     "GeoidSource: long}; insData: array<rec35_sub2_ins_data_t {velX: long; velY: long; "
     "velZ: long; roll: long; pitch: long; heading: long; velCovXX: long; velCovXY: long; "
     "velCovXZ: long; velCovYY: long; velCovYZ: long; velCovZZ: long; stdDevRoll: long; "
     "stdDevPitch: long; stdDevHeading: long; alignStatus: long; metaIsValid: long; "
     "gnssPosSource: long}>; insData2: array<rec35_sub2_ins_data2_t {roll: long; "
     "pitch: long; heading: long; velCovXX: long; velCovXY: long; velCovXZ: long; "
     "velCovYY: long; velCovYZ: long; velCovZZ: long; stdDevRoll: long; "
     "stdDevPitch: long; stdDevHeading: long; alignStatus: long; metaIsValid: long; "
     "gnssPosSource: long; angRateX: long; angRateY: long; angRateZ: long; linAccX: long; "
     "linAccY: long; linAccZ: long; heaveStatus: long; heave: long}>; "
     "SecPos: array<rec35_sub2_secondary_pos_t {haveSecondaryPos: long; "
     "secPosRefersToFlag: long; latPos: long; lonPos: long; hgtPos: long; "
     "posCov: rec35_sub2_ENU_covariance_t}>",
     "", "", ""},
    {3, 3, "IMU data Record", true,
     "gps_week: long; ID: long; flags: long; "
     "data: array<rec35_sub3_data_t {gps_secs: long; meas: array<long>}>; axisStatus: long",
     "", "", ""},
    {4, 1, "IMU temperature Record", true,
     "gps_week: long; ID: long; flags: long; "
     "data: array<rec35_sub4_data_t {gps_secs: long; temperature: array<long>}>",
     "", "", ""},
    {5, 2, "IMU calibration Record", false,
     "IMU_ID: long; serial_number: bytes; gyro_meas_index: array<long>; "
     "accel_meas_index: array<long>; gyro_temperature_index: array<long>; "
     "accel_temperature_index: array<long>; calibration_comment: bytes; delta_t: double; "
     "gyro_scale: array<double>; accel_scale: array<double>; "
     "gyro_temperature_scale: array<double>; gyro_temperature_bias: array<double>; "
     "accel_temperature_scale: array<double>; accel_temperature_bias: array<double>; "
     "gyro_cal: array<rec35_sub5_gyro_cal {temperature: array<double>; "
     "bias: array<double>; avg_sf: array<double>}>; "
     "accel_cal: array<rec35_sub5_accel_cal {temperature: array<double>; "
     "bias: array<double>; avg_sf: array<double>}>; gyro_misalignment: array<double>; "
     "accel_misalignment: array<double>; ZipCalBuffer: bytes",
     "", "", ""},
    {6, 6, "IMU lever arm configuration", false,
     "IMU_ID: long; ref_to_IMU_lever_arm: array<double>; "
     "ref_to_pri_GNSS_lever_arm: array<double>; "
     "ref_to_IMU_alignment_angles: array<double>; "
     "vehicle_to_ref_alignment_angles: array<double>; "
     "pri_GNSS_lever_arm_std_dev: array<double>; "
     "ref_to_sec_GNSS_lever_arm: array<double>; "
     "sec_GNSS_lever_arm_std_dev: array<double>; "
     "pri_to_sec_GNSS_lever_arm: array<double>; "
     "ref_to_pri_GNSS_lever_arm_std_dev: array<double>; "
     "pri_to_sec_GNSS_lever_arm_std_dev: array<double>; EXT_IMU_ID: long; "
     "sensor_to_IMU_lever_arm: array<double>; "
     "sensor_to_IMU_mounting_angles: array<double>; "
     "sensor_to_pri_GNSS_lever_arm: array<double>; "
     "sensor_to_pri_GNSS_lever_arm_std_dev: array<double>; "
     "vehicle_to_sensor_mounting_angles: array<double>; imuDataSourceFlag: long; "
     "centre_of_rotation_lever_arm: array<float>; heave_filter_period: float",
     "", "", ""},
    {7, 1, "app warnings/errors", false,
     "n_errlog: long; is_current_err: long; "
     "log: array<rec35_sub7_err_entry_t {error: long; validPC: long; PC: long; "
     "dataAddress: long; errorType: long; fwVersion: long; fwYear: long; fwMonth: long; "
     "fwDay: long; taskId: long; msecs: long; weeks: long; uptime: long; "
     "stack_pointer: long; callback_trace: array<long>; misc_data: bytes; "
     "is_misc_little_endian: long; misc_trace: array<long>}>",
     "", "", ""},
    {8, 1, "Barometer Raw Measurements", true,
     "baro_meas: array<rec35_sub8_barometer_t {week_number: long; msecs: long; "
     "time_status: long; pressure: long; temperature: long}>",
     "", "", ""},
    {9, 1, "Measurement Record", true,
     "epoch: rec35_sub9_epoch_t {weekNum: long; receiveTime: long; epochFlags: long; "
     "raimFault: long}; clock: rec35_sub9_clock_t {referenceSystem: long; "
     "clkOffset: long; clkDrift: long; "
     "system: array<rec35_sub9_system_t {rt_clktype: long; systemClockOffset: long}>}; "
     "sv: array<rec35_sub9_meas_t {svId: long; rt_sattype: long; antennaNumber: long; "
     "fdmaChannel: long; receiverChannel: long; svFlags: long; geomSlipCount: long; "
     "ionoSlipCount: long; azimuth: long; elevation: long; "
     "meas: array<rec35_sub9_meas_data_t {blockType: long; trackType: long; "
     "slipCount: long; trackingStatus: long; measFlags: long; snr: long; "
     "propagation_count: long; range: long; smoothed_range: long; phase: long; "
     "doppler: long}>}>",
     "", "", ""},
    {10, 1, "DMI configuration", false,
     "type: long; is_delta_t_valid: long; delta_t: double; is_scale_factor_valid: long; "
     "scale_factor: double; scale_factor_std_dev: double; "
     "ref_to_DMI_lever_arm: array<double>; ref_to_DMI_lever_arm_std_dev: array<double>",
     "", "", ""},
    {11, 1, "DMI raw data", true,
     "gps_week: long; data: array<rec35_sub11_data_t {gps_secs: long; abs_count: long; "
     "up_down_count: long}>",
     "", "", ""},
    {12, 1, "ZUPT (zero velocity update) switch data", true,
     "gps_week: long; gps_msecs: long; zupt_info: long", "gps_msecs", "", ""},
    {14, 5, "Magnetometer sensor measurement record", true,
     "gps_week: long; raw_data: array<rec35_sub14_raw_data_t {msecs: long; status: long; "
     "meas: array<long>; corr: array<long>; tempX: long; tempY: long; tempZ: long}>; "
     "mag_id: long",
     "", "", ""},
    {15, 4, "Magnetometer attitude record", true,
     "gps_week: long; att: array<rec35_sub15_att_t {msecs: long; Attitude: array<double>; "
     "AttSigma: array<double>; Status: long; FiltAttitude: array<double>; "
     "FiltAttSigma: array<double>}>; filteratt: array<rec35_sub15_att_t>",
     "", "", ""},
    {16, 3, "Pellam fix record", true,
     "hdr: rec35_sub16_header_t {week: long; time: long}; "
     "clk: rec35_sub16_clock_t {referenceSystem: long; clkOffset: long; clkDrift: long; "
     "system: array<rec35_sub16_system_t {rt_clktype: long; systemClockOffset: long}>}; "
     "pos: array<rec35_sub16_position_t {fixType: long; fixMode: long; raimInfo: long; "
     "latPos: long; lonPos: long; hgtPos: long; "
     "poscov: rec35_sub16_ENU_covariance_t {sigmaN: long; sigmaE: long; sigmaU: long; "
     "sigmaEN: long; sigmaEU: long; sigmaNU: long}; latVel: long; lonVel: long; "
     "hgtVel: long; hdop: long; vdop: long; tdop: long; corrAge: long; numSVsUsed: long; "
     "svs: array<rec35_sub16_sv_t {svId: long; rt_sattype: long; flags: long}>; "
     "codeUnitVariance: long; doppUnitVariance: long; "
     "velCov: rec35_sub16_ENU_covariance_t; sbas_prn: array<long>}>",
     "", "", ""},
    {17, 1, "AHRS position & attitude record", true,
     "week: long; pva_data: array<rec35_sub17_pva_data_t {time: long; "
     "pos: rec35_sub17_position_t {posStatus: long; latPos: long; lonPos: long; "
     "hgtPos: long; nVel: long; eVel: long; dVel: long; "
     "posCov: rec35_sub17_NED_covariance_t {sigmaN: long; sigmaE: long; sigmaD: long; "
     "sigmaNE: long; sigmaND: long; sigmaED: long}; "
     "velCov: rec35_sub17_NED_covariance_t}; "
     "att: rec35_sub17_attitude_t {attStatus: long; roll: long; pitch: long; yaw: long; "
     "sigmaRoll: long; sigmaPitch: long; sigmaYaw: long; sigmaRollPitch: long; "
     "sigmaRollYaw: long; sigmaPitchYaw: long}; "
     "imuCalib: rec35_sub17_imu_calibration_t {calibStatus: long; acclBiasX: long; "
     "acclBiasY: long; acclBiasZ: long; acclSfX: long; acclSfY: long; acclSfZ: long; "
     "gyroBiasX: long; gyroBiasY: long; gyroBiasZ: long; gyroSfX: long; gyroSfY: long; "
     "gyroSfZ: long}}>",
     "", "", ""},
    {18, 1, "CAN OBD (On-Board-Diagnostics) Raw Data", true,
     "gps_week: long; gps_secs: long; flags: long; raw_speed_value: long; "
     "raw_gear_value: long; raw_FL_wheel_ticks: long; raw_FR_wheel_ticks: long; "
     "raw_RL_wheel_ticks: long; raw_RR_wheel_ticks: long",
     "gps_secs", "", ""},
    {19, 5, "Measurement Record", true,
     "epoch__receiveTime: long; epoch__weekNum: long; epoch__raimFault: long; "
     "epoch__flags: long; clock__referenceSystem: long; clock__clkOffset: long; "
     "_Na: long; clock__system__rt_clktype: array<long>; "
     "clock__system__systemClockOffset: array<long>; clock__steerClkOffsetM: long; "
     "clock__steerClkDriftMpS: long; _Nb: long; sv__svId: array<long>; "
     "sv__rt_sattype: array<long>; sv__antennaNumber: array<long>; "
     "sv__fdmaChannel: array<long>; sv__receiverChannel: array<long>; "
     "sv__svFlags: array<long>; sv__geomSlipCount: array<long>; "
     "sv__ionoSlipCount: array<long>; sv__azimuth: array<long>; "
     "sv__elevation: array<long>; _Nb_Na: array<long>; sv__meas__blockType: array<long>; "
     "sv__meas__trackType: array<long>; sv__meas__trackingStatus: array<long>; "
     "sv__meas__measFlags: array<long>; sv__meas__slipCount: array<long>; "
     "sv__meas__snr: array<long>; sv__meas__range: array<long>; "
     "sv__meas__phase: array<long>; sv__meas__doppler: array<long>",
     "epoch__receiveTime clock__clkOffset clock__steerClkOffsetM sv__meas__slipCount "
     "sv__meas__phase",
     "sv__meas__doppler", "_Na:clock__system__ _Nb:sv__ _Nb_Na:sv__meas__"},
    {20, 1, "Gimbal attitude record", true,
     "gps_week: long; att: array<rec35_sub20_att_t {msecs: long; gimStatus: long; "
     "yaw: long; pitch: long; roll: long}>",
     "", "", ""},
    {21, 1, "External IMU data Record", true,
     "gps_week: long; ID: long; flags: long; "
     "data: array<rec35_sub21_data_t {gps_secs: long; status: long; meas_gyro_x: long; "
     "meas_gyro_y: long; meas_gyro_z: long; meas_acel_x: long; meas_acel_y: long; "
     "meas_acel_z: long; aux_data: long}>",
     "", "", ""},
    {24, 2, "FFT Data", true,
     "gps_msecs: long; center_freq: double; bin_size: float; peak_freq: double; "
     "peak_snr: float; mean_val: long; FreqData: array<long>; antenna_num: long",
     "gps_msecs", "FreqData", ""},
    {25, 2, "Averaged FFT Data", true,
     "secs: long; center_freq: long; bin_size: float; ave_period: long; "
     "FreqData: array<long>; antenna_num: long",
     "secs", "FreqData", ""},
    {26, 1, "Ag Diagnostic Logs", true, "time_msecs: long; diag_category: long; data: bytes",
     "time_msecs", "diag_category", ""},
    {27, 1, "Nivra Residuals Record", true,
     "stationId: long; stationName: bytes; "
     "mEpochTime: rec35_sub27_time_t {timeScale: long; week: long; timeMS: long}; "
     "mReportTime: rec35_sub27_time_t; diffPosX: long; diffPosY: long; diffPosZ: long; "
     "cov_xx: long; cov_xy: long; cov_xz: long; cov_yy: long; cov_yz: long; cov_zz: long; "
     "stationPosX: long; stationPosY: long; stationPosZ: long; "
     "mGlobalIonoAvailable: long; mGlobalIonoTime: rec35_sub27_time_t; "
     "mGlobalIonoServerID: long; mRegTropoAvailable: long; "
     "mRegTropoModelTime: rec35_sub27_time_t; mRegTropoServerID: long; "
     "mRegTropoProcessorID: long; mRegTropoCapID: long; mTestData: long; mEstZTD: long; "
     "mStdEstZTD: long; mEstTropoGradient_E: long; mEstTropoGradient_N: long; "
     "mStdTropoGradient_E: long; mStdTropoGradient_N: long; mAprioriZTD: long; "
     "mBiasData: rec35_sub27_resid_bias_info_t {nBiases: long; "
     "mBiasVec: array<rec35_sub27_resid_bias_t {residType: long; rt_sattype: long; "
     "biasValue: long; biasStd: long; numSvs: long}>}; numSVs: long; "
     "sv: array<rec35_sub27_sv_resid_t {svId: long; rt_sattype: long; "
     "processStatus: long; mServerInfo: rec35_sub27_server_info_t {mOrbQuality: long; "
     "mClkQuality: long; mSatPositionX: long; mSatPositionY: long; mSatPositionZ: long; "
     "mDoubleNudgeDtOrb: long; mDoubleNudgeDtClk: long; mOrbClkServerID: long; "
     "mRegIonoAvailable: long; mRegIonoModelTime: rec35_sub27_time_t; "
     "mRegIonoServerID: long; mRegIonoProcessorID: long; mRegIonoCapID: long; "
     "mStdGlobalSlantIonoDelay: long; mStdRegSlantIonoDelay: long; "
     "mStdRegSlantTropoDelay: long}; numResid: long; "
     "mResid: array<rec35_sub27_resid_data_t {residType: long; residual: long}>}>",
     "", "", ""},
    {28, 1, "Jam Detector Data", true,
     "gps_msec: long; band_data: array<rec35_sub28_band_data_t {rt_band: long; "
     "ant_num: long; fft_start_freq: long; fft_stop_freq: long; rt_band_quality: long; "
     "median_value_dB: long; spectral_power: long}>; "
     "subband_data: array<rec35_sub28_subband_data_t {rt_subband: long; ant_num: long; "
     "which_rt_band: long; start_freq: long; stop_freq: long; rt_subband_quality: long; "
     "spectral_power: long}>",
     "", "", ""},
    {128, 1, "Vector Controls Configuration Record", false,
     "HeadingCalibration: float; RequiredSolutionType: long; SlopeCalibration: float; "
     "SlopeDeltaHeight: double; SlopeOrientation: long; flags: long",
     "", "", ""},
    {129, 1, "GNSS Altitude for Barometer Calibration", true,
     "gnss_alt: array<rec35_sub129_gnss_altitude_t {week_number: long; msecs: long; "
     "time_status: long; fixType: long; numFixSvs: long; DopP: long; DopV: long; "
     "gnss_altitude: long; std_altitude: long; gnss_alt_vel: long; std_alt_vel: long}>",
     "", "", ""},
    {130, 1, "Test record for sensor measurements of ST-MKI124 evaluation board", true,
     "mki124_meas: array<rec35_sub130_MKI124_measurement_t {week_number: long; "
     "msecs: long; scount: long; time_status: long; model: long; meas_status: long; "
     "axis_x: float; axis_y: float; axis_z: float; temperature: float}>",
     "", "", ""},
    {131, 2, "Magnetometer calibration parameters", true,
     "gps_week: long; secs: long; MagId: long; MagSN: bytes; HardIron: array<double>; "
     "ScaleFactor: array<double>; SoftIron: array<array<double>>; Position: array<double>",
     "secs", "", ""},
    {132, 2, "Pellam RF calibration table", true,
     "table: array<rec35_sub132_RF_cal_t {range: array<rec35_sub132_RF_cal_pseudorange_t {cal: "
     "array<rec35_sub132_RF_cal_single_pseudorange_t {value: double; "
     "slot: long; cal_qual: long}>; ant_num: long; "
     "sig: rec35_sub132_signal_type_t {freqBand: long; signalType: long}; "
     "rt_sattype: long; gln_slot_is_fdma: long}>; "
     "gln_phase: array<rec35_sub132_RF_cal_GLONASS_phase_t {value: double; ant_num: long; "
     "sig: rec35_sub132_signal_type_t}>; gln_fdma: array<long>; RT_trkloop_mode: long; "
     "rf_switch_idx: long; pseudorange_bias: double}>; "
     "setup: array<rec35_sub132_setup_t {RT_RF_plan: long; RT_antenna_config: long; "
     "RT_RF_resolution: long}>; config: array<rec35_sub132_config_t {week: long; "
     "msecs: long; valid_RT_trkloop_mode: long; RT_trkloop_mode: long; "
     "valid_RF_switch: long; RF_switch: array<rec35_sub132_RF_switch_t {idx: long; "
     "freqBand: long; ant_num: long; prepos_idx: long; switch_state: long}>}>; "
     "group_delay: array<rec35_sub132_group_delay_t {value: double; rf_band: long; "
     "ant_num: long; rf_switch_idx: long}>",
     "", "", ""},
    {133, 1, "CAN OBD (On-Board-Diagnostic) Conf", false,
     "speedCanId: long; reverseGearCanId: long; wheelTicksCanId: long; canBusBaud: long; "
     "speedScaleFactor: float",
     "", "", ""},
    {256, 2, "Raw Corvex correlator slope diagnostic", true,
     "week: long; msecs: long; IQ_offset_m: array<long>; "
     "corr: array<rec35_sub256_corr_t {sv_id: long; rt_sattype: long; integ_msecs: long; "
     "pair: array<rec35_sub256_pair_t {I: long; Q: long}>; channel: long}>",
     "", "", ""},
    {257, 1, "Raw soft correlator slope diagnostic", true,
     "week: long; msecs: long; sample_rate_kHz: long; IQ_offset_m: array<long>; "
     "corr: array<rec35_sub257_corr_t {sv_id: long; rt_sattype: long; integ_msecs: long; "
     "pair: array<rec35_sub257_pair_t {I: long; Q: long}>}>",
     "", "", ""},
    {258, 1, "SPA Load", true, "msecs: long; count: array<long>", "msecs count", "", ""},
    {259, 1, "SPA Task Names", false,
     "name: array<rec35_sub259_taskname {fe_id: long; core: long; str: bytes}>", "", "", ""},
    {260, 1, "Measurement debug record", true,
     "receiveTime: long; _Na: long; _Na_Na: array<long>; sv__meas__flags: array<long>; "
     "sv__meas__MPHat: array<long>; sv__meas__CCFiltCount: array<long>; "
     "sv__meas__CCDiff: array<long>",
     "receiveTime", "", "_Na_Na:sv__meas__"},
    {261, 2, "Raw FFT correlator power diagnostic", true,
     "week: long; msecs: long; sample_rate_kHz: long; "
     "svs: array<rec35_sub261_sv_t {sv_id: long; rt_sattype: long; cno: long; "
     "channel: long; integ_msecs: long; track_index: long; corrs: array<long>; "
     "flags: long; res_track: long; res1: long; res2: long}>",
     "", "", ""},
    {262, 1, "Pellam position fix GLONASS FDMA code biases", false, "fdma_corr_m: array<double>",
     "", "", ""},
    {300, 1, "Test Record 300 - Just an array of week numbers.", true, "week_number: array<long>",
     "", "", ""},
    {301, 1, "Test Record 301 - Nested Array of a Structure", true,
     "meas: array<test_t {week_number: array<array<long>>}>", "week_number", "", ""},
    {302, 1, "Test Record - Simple flat structure", true,
     "week_number: long; msecs_of_week: double; x: float; y: float; z: float", "week_number", "",
     ""},
    {303, 1, "Test Record - Complicated structure, multiple versions.", false,
     "real: long; imag: array<float>; zdim: array<array<long>>; "
     "meas: array<rec35_sub303_meas_t {x: long; y: array<long>}>; height: long",
     "", "", ""},
    {304, 1, "Test Record 304 - Test U8 and U8 array.", false,
     "byte_array: bytes; byte_matrix: array<bytes>", "", "", ""},
    {305, 1, "Test Record - One Dimensional Array", false, "msecs: array<long>", "", "", ""},
    {306, 1, "Test Record - One Dimensional Array Linear Delta Encoding", true,
     "msecs: array<long>", "msecs", "", ""},
};

}  // namespace

const SubtypeRow* subtype_rows() {
  return kRows;
}

int subtype_index(uint64_t subtype) {
  for (int i = 0; i < kRec35SubtypeCount; ++i)
    if (kRows[i].subtype == subtype) return i;
  return -1;
}

}  // namespace d01ozu
