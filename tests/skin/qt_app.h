// One QApplication for every Qt test of this folder (offscreen platform).
#pragma once

#include <QApplication>

namespace velkarn::test {

inline QApplication& App() {
    // Never a real display, however the test was started.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "test_skin";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

} // namespace velkarn::test
