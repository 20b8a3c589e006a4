#pragma once
// "zarnik --demo": a simulated station of the chosen model, started beside the program on a
// pseudo-terminal and stopped with it, so the program can be tried without a station.

#include <QProcess>
#include <QTemporaryDir>

#include <memory>
#include <string>

namespace zarnik::app {

class TDemoStation {
public:
    // Starts zarnik-sim (found beside this program, else on the PATH) and waits until its
    // port is there; false with *error set when it could not be started.
    bool Start(const std::string& model, bool wireRate, std::string* error);
    ~TDemoStation();
    // The port name that reaches the simulated station once ZARNIK_SERIAL_DIR is set.
    static constexpr const char* kPortName = "COM3";

private:
    std::unique_ptr<QTemporaryDir> Dir;
    QProcess Process;
};

bool IsKnownModel(const std::string& model);

}  // namespace zarnik::app
