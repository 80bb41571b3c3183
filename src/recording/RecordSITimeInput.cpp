#include "recording/RecordSITimeInput.h"

#include "recording/NumberText.h"

namespace varlo {

bool RecordSITimeKeyPress(char32_t key) {
    return (key >= U'0' && key <= U'9') || key == EditBox::kBackspace;
}

void RecordSITimeChange(EditBox& edit) {
    if (ParseWholeNumber(edit.Text())) return;
    edit.SetText("1");
    edit.Select(0, 1);
}

}  // namespace varlo
