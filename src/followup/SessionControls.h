#pragma once

#include <cstdint>
#include <string>

#include "recording/EditBox.h"

namespace varlo {

// The edit boxes whose text the session reads.
enum class SessionEdit {
    T1HI,
    T1LO,
    Setmax,
    SetMin,
    RecordSITime,
    TimeH,
    TimeM,
    TimeS,
    TimeInt,
    Maxrecord,
};

// The states of the window's controls that the session reads, with the
// form's defaults. The edit boxes carry their key filters and change checks
// once the session has wired them.
struct SessionControls {
    EditBox T1HI{"22000"};
    EditBox T1LO{"-22000"};
    EditBox Setmax{"22000"};
    EditBox SetMin{"-22000"};
    EditBox RecordSITime{"10"};
    EditBox TimeH{"23"};
    EditBox TimeM{"59"};
    EditBox TimeS{"59"};
    EditBox TimeInt{"1"};
    EditBox Maxrecord{"100"};  // the chart's page size
    bool SetMaxB = false;
    bool SetMinB = false;
    bool multirange = true;    // "Continue Record"
    bool BtFill = true;        // "Fill"
    bool Fill = true;          // menu "Graphic" / "Fill", shows the same choice
    bool RepeatSet = true;     // "Repeat"
    bool RecordSI = false;     // "Sampling Interval"
    bool RecallCheck = false;  // "RecallData"
    int ComboBox1ItemIndex = 0;

    EditBox& Edit(SessionEdit edit);
    const EditBox& Edit(SessionEdit edit) const;
};

// Judge display: the label, the circle and the reading box's colour.
enum class JudgeColour { None, Green, Red };

// What the session writes into the window's labels and boxes.
struct SessionDisplay {
    std::string T1VALUEText = "0";
    std::string judgeCaption;
    JudgeColour judgeColour = JudgeColour::None;
    std::string MaxTextCaption;
    std::string MinTextCaption;
    std::string MaxTextUCaption;
    std::string MinTextUCaption;
    std::string Bt10Caption = "1";
    std::uint64_t beeps = 0;
};

// The follow-up's memory between frames: the mode last seen and the running
// extremes of the readings in that mode.
struct FollowUpState {
    std::string LastUnitText = "113";  // no reading has this unit: the first frame is a change
    std::string LastFunctionText;
    int LastDecimalPointIndex = 0;
    float RunMax = -22001.0f;
    float RunMin = 22001.0f;
    std::string RunMaxText;
    std::string RunMinText;
};

}  // namespace varlo
