#pragma once

class QWidget;

namespace tavin {

// Gives the button of COM port `portNumber` a tooltip naming the device the port stands for
// (the environment, the user's port map, or the built-in port), and saying so when it does not
// exist. Where there is no such mapping (Windows: COM n is COMn), it leaves the button alone.
void ShowPortDevice(QWidget& button, int portNumber);

}  // namespace tavin
