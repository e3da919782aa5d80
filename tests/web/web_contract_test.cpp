// The page's controls keep the event rule: the contract suite over <select> list boxes and
// drop-downs and <input> boxes made fresh in a page, run in Chromium (tests/web/web_test.py).
#include "platform/web/web_controls.h"
#include "support/control_contract.h"

#include <emscripten/emscripten.h>

#include <string>

// A new element of that kind in the page, under a new id.
EM_JS(int, tarvel_test_element, (int kind), {
    var tags = ['select', 'select', 'input'];
    var element = document.createElement(tags[kind]);
    if (kind === 0) element.size = 5;
    window.__elements = (window.__elements || 0) + 1;
    element.id = 'contract-' + window.__elements;
    document.body.appendChild(element);
    return window.__elements;
});

EM_JS(void, tarvel_test_done, (int status), { window.__done = status; });

// The browser's number format without its group (1) or its group and decimal (3), as a
// language that has none gives it; 0 gives the real one back.
EM_JS(void, tarvel_test_number_parts, (int drop), {
    window.__intl = window.__intl || Intl.NumberFormat;
    var Real = window.__intl;
    Intl.NumberFormat = drop === 0 ? Real : function (locales, options) {
        var format = new Real(locales, options);
        return {formatToParts: function (n) {
            return format.formatToParts(n).filter(function (part) {
                return !(part.type === 'group' || (drop === 3 && part.type === 'decimal'));
            });
        }};
    };
});

namespace tarvel::testing {
namespace {

std::string fresh(int kind) { return "contract-" + std::to_string(tarvel_test_element(kind)); }

INSTANTIATE_TEST_SUITE_P(
    Web, ListContract,
    ::testing::Values(
        ListKit{"ListBox", [] { return std::make_unique<platform::web::WebList>(fresh(0)); }},
        ListKit{"DropDown", [] { return std::make_unique<platform::web::WebList>(fresh(1)); }}),
    KitName{});

INSTANTIATE_TEST_SUITE_P(Web, TextContract,
                         ::testing::Values(TextKit{"Input", [] {
                             return std::make_unique<platform::web::WebText>(fresh(2));
                         }}),
                         KitName{});

// A separator the browser does not name is the one every other face takes in its place.
TEST(WebRuntime, MissingSeparatorsAreTheFullStopAndTheComma) {
    tarvel_test_number_parts(1);
    const char32_t decimal = platform::web::WebRuntime().numberLocale().decimal;
    EXPECT_EQ(platform::web::WebRuntime().numberLocale().group, U',');
    tarvel_test_number_parts(3);
    EXPECT_EQ(platform::web::WebRuntime().numberLocale(), (platform::NumberLocale{U'.', U','}));
    tarvel_test_number_parts(0);
    EXPECT_EQ(platform::web::WebRuntime().numberLocale().decimal, decimal);
}

}  // namespace
}  // namespace tarvel::testing

int main(int argc, char* argv[]) {
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    tarvel_test_done(status);
    return status;
}
