#pragma once

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qingwu {

// Shows every message box of the program: modal for the whole application, owned by no window,
// without icon, with an OK button or Yes and No buttons. Texts and captions are UTF-8.
//
// For tests it can run on scripted answers instead: no box is shown, each call takes the next
// queued answer (OK for an OK box and No for a question when the queue is empty) and every box
// asked for is recorded, so a test never waits in a dialog's event loop.
class MessagePresenter {
  public:
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    struct Box {
        std::string text;
        std::string caption;
        Buttons buttons = Buttons::Ok;
    };

    MessagePresenter() = default;
    MessagePresenter(const MessagePresenter&) = delete;
    MessagePresenter& operator=(const MessagePresenter&) = delete;

    // Shows the box and returns the button the user pressed (a box closed by its title bar or
    // Escape counts as OK, or as No for a question).
    Answer Show(std::string_view text, std::string_view caption, Buttons buttons);

    // Switches to scripted answers (for tests); there is no way back.
    void UseScriptedAnswers() { scripted_ = true; }
    bool Scripted() const { return scripted_; }
    void QueueAnswer(Answer answer) { answers_.push_back(answer); }
    // Runs on every scripted box, after it is recorded and before its answer is returned.
    void OnScriptedBox(std::function<void(const Box&)> callback) { onBox_ = std::move(callback); }

    // Every box shown or answered so far, in order (both modes).
    const std::vector<Box>& Shown() const { return shown_; }
    void ClearShown() { shown_.clear(); }

  private:
    Answer ShowBox(const Box& box) const;

    bool scripted_ = false;
    std::deque<Answer> answers_;
    std::function<void(const Box&)> onBox_;
    std::vector<Box> shown_;
};

}  // namespace qingwu
