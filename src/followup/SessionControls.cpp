#include "followup/SessionControls.h"

namespace varlo {

EditBox& SessionControls::Edit(SessionEdit edit) {
    return const_cast<EditBox&>(static_cast<const SessionControls&>(*this).Edit(edit));
}

const EditBox& SessionControls::Edit(SessionEdit edit) const {
    switch (edit) {
        case SessionEdit::T1HI:
            return T1HI;
        case SessionEdit::T1LO:
            return T1LO;
        case SessionEdit::Setmax:
            return Setmax;
        case SessionEdit::SetMin:
            return SetMin;
        case SessionEdit::RecordSITime:
            return RecordSITime;
        case SessionEdit::TimeH:
            return TimeH;
        case SessionEdit::TimeM:
            return TimeM;
        case SessionEdit::TimeS:
            return TimeS;
        case SessionEdit::TimeInt:
            return TimeInt;
        case SessionEdit::Maxrecord:
            break;
    }
    return Maxrecord;
}

}  // namespace varlo
