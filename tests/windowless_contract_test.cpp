// The window-less controls keep the event rule, and the message line's rule holds over a face
// that records what it is told.
#include "platform/message_line.h"
#include "platform/windowless.h"
#include "support/control_contract.h"

#include <string>
#include <vector>

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

// A face that keeps what it shows and announces, and runs its queued jobs when told that the
// event has been handled.
struct RecordingFace final : platform::MessageLine::Face {
    void show(std::string_view text) override { shown.emplace_back(text); }
    bool afterEvent(platform::Handler job) override {
        queued.push_back(std::move(job));
        return true;
    }
    void announce(std::string_view text) override { announced.emplace_back(text); }
    void eventHandled() {
        const auto jobs = std::move(queued);
        queued.clear();
        for (const auto& job : jobs) job();
    }
    std::vector<std::string> shown, announced;
    std::vector<platform::Handler> queued;
};

struct Settling {
    const char* name;
    std::vector<std::vector<std::string>> events;  ///< the captions each event writes, in turn
    std::vector<std::string> announced;
};

TEST(MessageLine, AnnouncesWhatStandsOnceEachEventIsHandled) {
    const std::string no = "Valores no numéricos";
    const std::string big = "Error: Desbordamiento";
    const Settling rows[] = {
        {"a new message, once", {{no}, {no}}, {no}},
        {"a passing message, never", {{no, ""}}, {}},
        {"the same message after a passing clear, not again", {{no}, {"", no}}, {no}},
        {"the line cleared, so a live region empties", {{no}, {""}}, {no, ""}},
        {"the last of several", {{no, big}}, {big}},
        {"nothing written, nothing said", {{""}, {}}, {}},
    };
    for (const Settling& row : rows) {
        RecordingFace face;
        platform::MessageLine line(face);
        std::vector<std::string> written;
        for (const auto& event : row.events) {
            for (const std::string& caption : event) {
                line.setCaption(caption);
                written.push_back(caption);
                EXPECT_EQ(line.caption(), caption) << row.name;
            }
            EXPECT_LE(face.queued.size(), 1u) << row.name << ": one check per event";
            face.eventHandled();
        }
        EXPECT_EQ(face.shown, written) << row.name << ": each caption shows as it is written";
        EXPECT_EQ(face.announced, row.announced) << row.name;
    }
    RecordingFace face;
    std::make_unique<platform::MessageLine>(face)->setCaption(no);
    face.eventHandled();  // the line has gone: its check does nothing
    EXPECT_TRUE(face.announced.empty());
}

}  // namespace
}  // namespace tarvel::testing
