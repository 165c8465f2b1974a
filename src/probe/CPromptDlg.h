#pragma once

// The small wait window: a text, a caption and a Cancel button that stays hidden until the owner
// reveals it. State and rules live here; a front end derives from it to show them.

#include <string>

namespace kv {

class CPromptDlg {
public:
    virtual ~CPromptDlg() = default;

    // Stores both texts and shows the window with them.
    void Show(const std::string& text, const std::string& caption);
    void RevealCancel();
    // The Cancel button (by the operator).
    void PressCancel();
    bool Cancelled() const { return cancelled_; }
    // The window goes away; the owner forgets it.
    void Close();

    const std::string& Text() const { return text_; }
    const std::string& Caption() const { return caption_; }
    bool CancelShown() const { return cancelShown_; }
    bool Visible() const { return visible_; }

protected:
    virtual void OnChanged() {}
    virtual void OnClosed() {}

private:
    std::string text_;
    std::string caption_;
    bool cancelled_ = false;
    bool cancelShown_ = false;
    bool visible_ = false;
};

}  // namespace kv
