// The Qt controls keep the same event rule as the window-less ones.
#include "platform/qt/qt_controls.h"
#include "support/control_contract.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include <clocale>
#include <memory>

namespace tarvel::testing {
namespace {

// An adapter that owns its widget, as the window does for the real program. The widget is
// built first and goes last.
template <class Widget>
struct WidgetHolder {
    std::unique_ptr<Widget> widget = std::make_unique<Widget>();
};

template <class Widget, class Access>
class Owning final : private WidgetHolder<Widget>, public Access {
public:
    Owning() : Access(*this->widget) {}
    Widget& qt() { return *this->widget; }
};

using OwnedListWidget = Owning<QListWidget, platform::ListWidgetAccess>;
using OwnedComboBox = Owning<QComboBox, platform::ComboBoxAccess>;
using OwnedLineEdit = Owning<QLineEdit, platform::LineEditAccess>;

INSTANTIATE_TEST_SUITE_P(
    Qt, ListContract,
    ::testing::Values(ListKit{"ListWidget", [] { return std::make_unique<OwnedListWidget>(); }},
                      ListKit{"ComboBox", [] { return std::make_unique<OwnedComboBox>(); }}),
    KitName{});

INSTANTIATE_TEST_SUITE_P(
    Qt, TextContract,
    ::testing::Values(TextKit{"LineEdit", [] { return std::make_unique<OwnedLineEdit>(); }}),
    KitName{});

// Once an adapter is gone, changes to its widget reach none of the handlers it was given:
// the window takes its adapters apart before its widgets.
TEST(QtAdapters, AGoneAdapterLeavesItsWidgetSilent) {
    int runs = 0;
    QListWidget list;
    QComboBox combo;
    QLineEdit box;
    {
        platform::ListWidgetAccess listAccess(list);
        platform::ComboBoxAccess comboAccess(combo);
        platform::LineEditAccess boxAccess(box);
        listAccess.setClickHandler([&] { ++runs; });
        comboAccess.setClickHandler([&] { ++runs; });
        boxAccess.setChangeHandler([&] { ++runs; });
        boxAccess.setKeyPressHandler([&](char16_t&) { ++runs; });
    }
    list.addItems({"a", "b"});
    list.setCurrentRow(1);
    combo.addItems({"a", "b"});
    combo.setCurrentIndex(1);
    box.setText("5");
    EXPECT_EQ(runs, 0);
}

// The widgets' own signals for the user's changes reach the click and change handlers.
TEST(QtAdapters, TheWidgetsOwnChangesRaiseTheHandlers) {
    OwnedListWidget list;
    OwnedComboBox combo;
    OwnedLineEdit box;
    std::vector<std::string> seen;
    list.setClickHandler([&] { seen.push_back("list " + std::to_string(list.selectedIndex())); });
    combo.setClickHandler([&] { seen.push_back("combo " + std::to_string(combo.selectedIndex())); });
    box.setChangeHandler([&] { seen.push_back("box " + box.text()); });
    for (const char* item : {"a", "b", "c"}) {
        list.append(item);
        combo.append(item);
    }
    list.qt().setCurrentRow(2);
    combo.qt().setCurrentIndex(1);
    box.qt().insert("7");
    EXPECT_EQ(seen, (std::vector<std::string>{"list 2", "combo 1", "box 7"}));
}

TEST(QtAdapters, ALabelKeepsItsCaptionAsPlainUtf8) {
    QLabel label;
    platform::LabelAccess access(label);
    access.setCaption("Error: División por cero <b>");
    EXPECT_EQ(access.caption(), "Error: División por cero <b>");
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
}

}  // namespace
}  // namespace tarvel::testing

int main(int argc, char* argv[]) {
    std::setlocale(LC_ALL, "");  // as QApplication does on Unix, on every system
    // Widgets need an application object, and these tests need no display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
