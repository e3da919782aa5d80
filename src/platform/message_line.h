// The message line (`Label1`) and when its messages reach screen readers, the same behind
// every face.
#pragma once

#include "platform/controls.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace tarvel::platform {

/// Control access to a message line. One user action may write several messages in turn (a
/// category change writes one and clears it again); a message is announced only if it still
/// stands once the action has been handled, and only when it differs from the last one that
/// stood, so a reader never hears a passing or repeated message.
class MessageLine final : public CaptionAccess {
public:
    /// What a face gives the message line.
    class Face {
    public:
        virtual ~Face() = default;
        /// Shows `text` at once, where the face's label shows what the form writes as it
        /// writes it; a face whose label is its announcement leaves this empty.
        virtual void show(std::string_view text) = 0;
        /// Runs `job` once the event being handled has been handled; false when the face
        /// cannot. A job that runs after its line has gone does nothing.
        virtual bool afterEvent(Handler job) = 0;
        /// `text` stands once an event has been handled, and differs from what stood before.
        /// Empty when the line has been cleared: nothing to speak, though a live region must
        /// still be emptied.
        virtual void announce(std::string_view text) = 0;
    };

    explicit MessageLine(Face& face) : face_(face) {}

    [[nodiscard]] std::string caption() const override { return caption_; }
    void setCaption(std::string_view caption) override;

private:
    void settle();

    Face& face_;
    std::string caption_;
    std::string settled_;  ///< the message that stood when the last action ended
    bool pending_ = false;
    std::shared_ptr<int> alive_ = std::make_shared<int>();  ///< watched by the pending job
};

/// A face and the message line over it, made and gone together.
template <class Face>
struct FacedMessageLine {
    template <class... Arguments>
    explicit FacedMessageLine(Arguments&&... arguments)
        : face(std::forward<Arguments>(arguments)...) {}
    Face face;
    MessageLine access{face};
};

}  // namespace tarvel::platform
