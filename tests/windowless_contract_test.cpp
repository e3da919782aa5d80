// The window-less controls keep the event rule.
#include "platform/windowless.h"
#include "support/control_contract.h"

namespace tarvel::testing {
namespace {

INSTANTIATE_TEST_SUITE_P(Windowless, ListContract,
                         ::testing::Values(ListKit{"List", [] {
                             return std::make_unique<platform::WindowlessList>();
                         }}),
                         KitName{});

INSTANTIATE_TEST_SUITE_P(Windowless, TextContract,
                         ::testing::Values(TextKit{"Text", [] {
                             return std::make_unique<platform::WindowlessText>();
                         }}),
                         KitName{});

}  // namespace
}  // namespace tarvel::testing
