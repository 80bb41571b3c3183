#pragma once

#include "app/EditBinding.h"
#include "followup/MeterSession.h"

namespace varlo::app {

// One of the session's edit boxes as an edit binding edits it: every change
// goes through the session, which runs the box's key filter, change check
// and handler (SetmaxExit, MaxrecordChange, ...).
class SessionEditTarget : public EditTarget {
  public:
    SessionEditTarget(MeterSession& session, SessionEdit edit) : session_(session), edit_(edit) {}

    const EditBox& Box() const override { return session_.Controls().Edit(edit_); }
    bool KeyPress(char32_t key) override { return session_.EditKeyPress(edit_, key); }
    void SetText(std::string_view text) override { session_.EditSetText(edit_, text); }
    void Select(std::size_t start, std::size_t length) override {
        session_.EditSelect(edit_, start, length);
    }

  private:
    MeterSession& session_;
    SessionEdit edit_;
};

}  // namespace varlo::app
