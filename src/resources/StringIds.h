#pragma once

// Ids of the string table's texts. A menu command's prompt has the command's own id
// (CommandIds.h); everything else the program looks up is named here.

namespace tavin::string_id {

// The program and its document.
inline constexpr unsigned kDocumentTemplate = 128;  // title, type and filter fields, by '\n'
inline constexpr unsigned kAppTitle = 57344;
inline constexpr unsigned kCompany = 57346;  // the profile's root
inline constexpr unsigned kUntitled = 61443;

// The status bar.
inline constexpr unsigned kReady = 62002;
inline constexpr unsigned kPortPaneSizing = 59142;  // sizes the port pane; also the pane's id
inline constexpr unsigned kSendingItem = 62001;     // "%1": the item's label
// Progress of a whole-camera transfer: "%1" is the item's place, "%2" the number of items.
inline constexpr unsigned kReadingItems = 62003;
inline constexpr unsigned kSendingItems = 62004;
// The loop test's step: "%1" the step, counting from 1, "%2" the shutter speed's caption.
inline constexpr unsigned kLoopTestStep = 62005;
// What the status bar keeps saying, once the program is idle again, about an operation that did
// not get done; until the next camera operation starts.
inline constexpr unsigned kSettingsNotRead = 62006;
inline constexpr unsigned kLoadIncomplete = 62007;   // "%1": the file's name
inline constexpr unsigned kNotDoneNoAnswer = 62008;  // "%1": the requests dropped
inline constexpr unsigned kNotDoneLoopTest = 62009;  // "%1": the requests dropped
inline constexpr unsigned kLoopTestStopped = 62012;
inline constexpr unsigned kRequestOpenFile = 62010;  // "%1": the file's name
inline constexpr unsigned kRequestClose = 62011;

// Data files. "%1" is the file's path, in the mismatch text its name ("%2" the program).
inline constexpr unsigned kFileTypeMismatch = 62100;
inline constexpr unsigned kOpenFailed = 61697;
inline constexpr unsigned kSaveFailed = 61698;
inline constexpr unsigned kAskToSave = 61699;
inline constexpr unsigned kCreateFailed = 61700;
inline constexpr unsigned kUnexpectedFormat = 61728;
inline constexpr unsigned kFileNotFound = 61858;
inline constexpr unsigned kFileAccessDenied = 61861;
inline constexpr unsigned kFileReadError = 61865;
inline constexpr unsigned kFileWriteError = 61866;

// Communication status messages and the frame they are shown in ("%1": the message).
inline constexpr unsigned kStatusFrame = 62127;
inline constexpr unsigned kFirstStatus = 62101;  // status code 0
inline constexpr int kLastStatusBeforeFrame = 25;

// The message of status code `code` (0 to 27): the codes after the frame's id skip over it.
constexpr unsigned StatusText(int code) {
    return kFirstStatus + static_cast<unsigned>(code) + (code > kLastStatusBeforeFrame ? 1u : 0u);
}

// Labels of the camera items. Rows 14, 40 and 41 have an id without a text.
inline constexpr unsigned kLabelFd = 62200;
inline constexpr unsigned kLabelShutterMode = 62201;
inline constexpr unsigned kLabelMode = 62202;
inline constexpr unsigned kLabelTrigger = 62203;
inline constexpr unsigned kLabelTorikomi = 62204;
inline constexpr unsigned kLabelVBinning = 62205;
inline constexpr unsigned kLabelMenu = 62206;
inline constexpr unsigned kLabelGainFine = 62207;
inline constexpr unsigned kLabelBlackLevel = 62208;
inline constexpr unsigned kLabelGainRough = 62209;
inline constexpr unsigned kLabelZoom = 62210;
inline constexpr unsigned kLabelFocus = 62211;
inline constexpr unsigned kLabelRow14 = 62212;
inline constexpr unsigned kLabelPartialScan = 62213;
inline constexpr unsigned kLabelVrgRough = 62214;
inline constexpr unsigned kLabelVrgFine = 62215;
inline constexpr unsigned kLabelVsubRough = 62216;
inline constexpr unsigned kLabelVsubFine = 62217;
inline constexpr unsigned kLabelIrisLevel = 62218;
inline constexpr unsigned kLabelPedestalLevel = 62219;
inline constexpr unsigned kLabelMatrixGrRg = 62220;
inline constexpr unsigned kLabelMatrixGbBg = 62221;
inline constexpr unsigned kLabelMatrixGbRgPlus = 62222;
inline constexpr unsigned kLabelMatrixGbRgMinus = 62223;
inline constexpr unsigned kLabelMatrixGrBgPlus = 62224;
inline constexpr unsigned kLabelMatrixGrBgMinus = 62225;
inline constexpr unsigned kLabelRow40 = 62226;
inline constexpr unsigned kLabelRow41 = 62227;
inline constexpr unsigned kLabelWhiteClipY = 62228;
inline constexpr unsigned kLabelWhiteClipC = 62229;
inline constexpr unsigned kLabelAgcGainMin = 62230;
inline constexpr unsigned kLabelReserved = 62231;
inline constexpr unsigned kLabelHdReset = 62232;

}  // namespace tavin::string_id
