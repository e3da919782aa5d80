// The event rule as a contract that every implementation of control access must keep.
// Include this header in exactly one source of a test program, then instantiate
// ListContract and TextContract with the kits that make that implementation's controls.
#pragma once

#include "platform/controls.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarvel::testing {

struct ListKit {
    std::string name;
    std::function<std::unique_ptr<platform::ListAccess>()> make;
};

struct TextKit {
    std::string name;
    std::function<std::unique_ptr<platform::TextAccess>()> make;
};

/// Names each instantiated row after its kit.
struct KitName {
    template <class Kit>
    std::string operator()(const ::testing::TestParamInfo<Kit>& info) const {
        return info.param.name;
    }
};

class ListContract : public ::testing::TestWithParam<ListKit> {
protected:
    void SetUp() override {
        list = GetParam().make();
        list->setClickHandler([this] { seen.push_back(list->selectedIndex()); });
    }
    void fill(int count) {
        for (int i = 0; i < count; ++i) {
            list->append("item " + std::to_string(i));
        }
    }
    std::unique_ptr<platform::ListAccess> list;
    std::vector<int> seen;  ///< the selected index each click handler run saw
};

TEST_P(ListContract, NewListHasNoSelection) { EXPECT_EQ(list->selectedIndex(), -1); }

TEST_P(ListContract, AppendingRaisesNothingAndSelectsNothing) {
    fill(3);
    EXPECT_EQ(list->selectedIndex(), -1);
    EXPECT_TRUE(seen.empty());
}

TEST_P(ListContract, ADifferentIndexRaisesOneClickThatSeesIt) {
    fill(3);
    list->setSelectedIndex(2);
    EXPECT_EQ(seen, std::vector<int>{2});
    list->setSelectedIndex(0);
    EXPECT_EQ(seen, (std::vector<int>{2, 0}));
}

TEST_P(ListContract, TheSameIndexRaisesNothing) {
    fill(3);
    list->setSelectedIndex(1);
    list->setSelectedIndex(1);
    EXPECT_EQ(seen, std::vector<int>{1});
}

TEST_P(ListContract, NoSelectionIsADifferentIndexToo) {
    fill(2);
    list->setSelectedIndex(1);
    list->setSelectedIndex(-1);
    EXPECT_EQ(seen, (std::vector<int>{1, -1}));
    EXPECT_EQ(list->selectedIndex(), -1);
}

TEST_P(ListContract, ClearingRaisesNothingAndLeavesNoSelectionUntilOneIsSet) {
    fill(3);
    list->setSelectedIndex(1);
    seen.clear();
    list->clear();
    EXPECT_EQ(list->selectedIndex(), -1);
    fill(4);
    EXPECT_EQ(list->selectedIndex(), -1);
    EXPECT_TRUE(seen.empty());
    list->setSelectedIndex(0);
    EXPECT_EQ(seen, std::vector<int>{0});
}

TEST_P(ListContract, AppendingKeepsTheSelection) {
    fill(1);
    list->setSelectedIndex(0);
    fill(2);
    EXPECT_EQ(list->selectedIndex(), 0);
    EXPECT_EQ(seen, std::vector<int>{0});
}

TEST_P(ListContract, AnUnwiredListRaisesNothing) {
    fill(2);
    list->setClickHandler({});
    list->setSelectedIndex(1);
    EXPECT_EQ(list->selectedIndex(), 1);
    EXPECT_TRUE(seen.empty());
}

class TextContract : public ::testing::TestWithParam<TextKit> {
protected:
    void SetUp() override {
        box = GetParam().make();
        box->setChangeHandler([this] { seen.push_back(box->text()); });
    }
    std::unique_ptr<platform::TextAccess> box;
    std::vector<std::string> seen;  ///< the text each change handler run saw
};

TEST_P(TextContract, ADifferentTextRaisesOneChangeThatSeesIt) {
    box->setText("1");
    box->setText("1,5");
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "1,5"}));
}

TEST_P(TextContract, TheSameTextRaisesNothing) {
    box->setText("2.0");
    box->setText("2.0");
    EXPECT_EQ(seen, std::vector<std::string>{"2.0"});
}

TEST_P(TextContract, EmptyingIsAChange) {
    box->setText("7");
    box->setText("");
    EXPECT_EQ(seen, (std::vector<std::string>{"7", ""}));
}

TEST_P(TextContract, KeepsUtf8Intact) {
    const std::string text = "ºC 1\u202F000,5 \u00b7 \u20ac";
    box->setText(text);
    EXPECT_EQ(box->text(), text);
}

TEST_P(TextContract, AHandlerWritingAnotherBoxRunsItsHandlerBeforeReturning) {
    auto other = GetParam().make();
    std::vector<std::string> order;
    other->setChangeHandler([&] { order.push_back("other saw " + other->text()); });
    box->setChangeHandler([&] {
        order.push_back("box saw " + box->text());
        other->setText(box->text() + "0");
        order.push_back("box done");
    });
    box->setText("5");
    EXPECT_EQ(order, (std::vector<std::string>{"box saw 5", "other saw 50", "box done"}));
}

TEST_P(TextContract, AnUnwiredBoxRaisesNothing) {
    box->setChangeHandler({});
    box->setText("3");
    EXPECT_EQ(box->text(), "3");
    EXPECT_TRUE(seen.empty());
}

}  // namespace tarvel::testing
