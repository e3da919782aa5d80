// What the window tests share: a runtime that records instead of acting, and the layout.
#pragma once

#include "platform/qt/qt_runtime.h"

#include <QRect>
#include <QString>
#include <QTest>

namespace tarvel::testing {

/// The desktop's services, with the beep and the end counted instead of made.
class RecordingRuntime final : public platform::QtRuntime {
public:
    using QtRuntime::QtRuntime;
    void beep() override { ++beeps; }
    void end() override { ++ends; }
    int beeps = 0;
    int ends = 0;
};

/// Each control's place in the window (logical pixels), as _data rows with the columns
/// "name" and "expected". Label1 sits inside the client area made taller for it.
inline void addLayoutRows() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("UA") << "UA" << QRect(28, 216, 81, 24);
    QTest::newRow("UB") << "UB" << QRect(244, 216, 81, 24);
    QTest::newRow("Combo1") << "Combo1" << QRect(108, 216, 97, 24);
    QTest::newRow("Combo2") << "Combo2" << QRect(324, 216, 97, 24);
    QTest::newRow("List1") << "List1" << QRect(276, 0, 177, 200);
    QTest::newRow("Command1") << "Command1" << QRect(4, 248, 445, 25);
    QTest::newRow("Label1") << "Label1" << QRect(192, 300, 133, 17);
    QTest::newRow("Label2") << "Label2" << QRect(216, 216, 21, 23);
}

}  // namespace tarvel::testing
