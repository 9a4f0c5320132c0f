#pragma once
// The template of one page of the port properties sheet, and its control identifiers.

#include "res/dialog_template.h"

namespace brenmoor::res {

inline constexpr int kIdBaudList = 1005;
inline constexpr int kIdDataLengthList = 1006;
inline constexpr int kIdParityList = 1007;
inline constexpr int kIdStopBitsList = 1008;
inline constexpr int kIdFlowControlList = 1018;
inline constexpr int kIdRs485Check = 1022;
inline constexpr int kIdDtrRadio = 1023;
inline constexpr int kIdRtsRadio = 1024;
inline constexpr int kIdRxFifoCheck = 1026;
inline constexpr int kIdTxFifoCheck = 1027;
inline constexpr int kIdComBaseList = 1066;
inline constexpr int kIdOpenPortCheck = 1147;
inline constexpr int kIdDtrHysteresisList = 1152;
inline constexpr int kIdRtsHysteresisList = 1153;
inline constexpr int kIdTxTriggerList = 1154;
inline constexpr int kIdRxTriggerList = 1155;
inline constexpr int kIdIrCheck = 1156;

// "Port " 187 x 271: the line settings, the COM number and the UART options of one port.
// The stop-bit list is empty here; the page fills it from the data length.
const DialogTemplate& portPageTemplate();

}  // namespace brenmoor::res
