// The user's actions on the session's controls, as the window and varlo-cli
// drive them.
#include <gtest/gtest.h>

#include <string>

#include "SessionBench.h"
#include "common/VarloError.h"

namespace varlo {
namespace {

using test::Bench;
using test::Volts1;

TEST(SessionActions, CheckBoxesSetTheirBoxAndRunTheirHandler) {
    Bench b;
    test::CountingView view;
    b.session.SetView(&view);
    const SessionControls& c = b.session.Controls();
    const TrendChartModel& chart = b.session.ChartModel();

    b.session.BtFillClick(false);
    EXPECT_FALSE(c.BtFill);
    EXPECT_FALSE(c.Fill);
    EXPECT_EQ(chart.ActiveSeries(), 1);

    // "Repeat" and "Continue Record" re-apply the Fill choice; "Sampling
    // Interval" has no handler.
    b.session.ComboBox1Change(0);
    b.session.RepeatSetClick(false);
    EXPECT_FALSE(c.RepeatSet);
    EXPECT_EQ(chart.ActiveSeries(), 1);
    b.session.ComboBox1Change(0);
    b.session.multirangeClick(false);
    EXPECT_FALSE(c.multirange);
    EXPECT_EQ(chart.ActiveSeries(), 1);
    b.session.ComboBox1Change(0);
    b.session.RecordSIClick(true);
    EXPECT_TRUE(c.RecordSI);
    EXPECT_EQ(chart.ActiveSeries(), 0);
    EXPECT_EQ(c.ComboBox1ItemIndex, 0);

    // The menu item toggles both marks together.
    b.session.FillClick();
    EXPECT_TRUE(c.BtFill);
    EXPECT_TRUE(c.Fill);
    EXPECT_EQ(chart.ActiveSeries(), 0);
    b.session.FillClick();
    EXPECT_FALSE(c.BtFill);
    EXPECT_FALSE(c.Fill);
    EXPECT_EQ(chart.ActiveSeries(), 1);
    EXPECT_EQ(view.controls, 5);  // three btFillClick runs, two menu clicks
}

TEST(SessionActions, AlarmLimitsFollowTheirBoxesAndCheckBoxes) {
    Bench b;
    const SessionControls& c = b.session.Controls();
    b.Type(SessionEdit::Setmax, "12");
    EXPECT_EQ(b.session.Alarms().AlarmHigh, 12.0f);
    EXPECT_FALSE(b.session.EditKeyPress(SessionEdit::Setmax, U'a'));
    EXPECT_EQ(c.Setmax.Text(), "12");

    // A minus after the digits: the text stays as typed, the limit as it was.
    try {
        b.session.EditKeyPress(SessionEdit::Setmax, U'-');
        ADD_FAILURE() << "no conversion error";
    } catch (const VarloError& error) {
        EXPECT_STREQ(error.what(), "'12-' is not a valid integer value");
    }
    EXPECT_EQ(c.Setmax.Text(), "12-");
    EXPECT_EQ(b.session.Alarms().AlarmHigh, 12.0f);
    // The click re-reads the box whichever way it goes.
    EXPECT_THROW(b.session.SetMaxBClick(true), VarloError);
    EXPECT_TRUE(c.SetMaxB);
    b.session.EditKeyPress(SessionEdit::Setmax, EditBox::kBackspace);
    b.session.EditKeyPress(SessionEdit::Setmax, U'5');
    EXPECT_EQ(b.session.Alarms().AlarmHigh, 125.0f);
    b.session.SetMaxBClick(false);
    EXPECT_FALSE(c.SetMaxB);

    b.session.EditSetText(SessionEdit::SetMin, "+");
    EXPECT_EQ(b.session.Alarms().AlarmLow, 0.0f);
    b.session.EditSetText(SessionEdit::SetMin, "-300");
    b.session.SetMinBClick(true);
    EXPECT_EQ(b.session.Alarms().AlarmLow, -300.0f);
    b.Frame("A000301440000D");  // temperature, -301 counts
    EXPECT_EQ(b.session.Display().beeps, 1u);
}

TEST(SessionActions, JudgeLimitKeysFollowTheLocaleSeparator) {
    Bench b(",");
    EXPECT_FALSE(b.session.EditKeyPress(SessionEdit::T1HI, U'.'));
    EXPECT_TRUE(b.session.EditKeyPress(SessionEdit::T1HI, U','));
    b.Type(SessionEdit::T1LO, "-");
    EXPECT_EQ(b.session.Controls().T1LO.Text(), "-0");
    b.session.EditKeyPress(SessionEdit::T1LO, U'5');
    EXPECT_EQ(b.session.Controls().T1LO.Text(), "-5");
    b.locale.Set(test::WithSeparator("."));
    b.session.LocaleChanged();
    EXPECT_TRUE(b.session.EditKeyPress(SessionEdit::T1HI, U'.'));
}

TEST(SessionActions, RecallTimeEditsAndTheirCheckBox) {
    Bench b;
    test::CountingView view;
    b.session.SetView(&view);
    const SessionControls& c = b.session.Controls();
    b.session.RecallCheckClick(true);
    EXPECT_TRUE(c.RecallCheck);
    EXPECT_EQ(c.TimeH.Text() + c.TimeM.Text() + c.TimeS.Text(), "000000");
    EXPECT_EQ(view.controls, 1);

    // Each key release checks the three edits.
    auto typeTime = [&](SessionEdit edit, const std::string& text) {
        b.session.EditSelect(edit, 0, c.Edit(edit).Length());
        for (char key : text) {
            b.session.EditKeyPress(edit, static_cast<char32_t>(key));
            b.session.TimeHKeyUp();
        }
    };
    typeTime(SessionEdit::TimeH, "24");
    EXPECT_EQ(b.dialogs.messages, std::vector<std::string>{"Input error!"});
    EXPECT_EQ(c.TimeH.Text(), "00");
    EXPECT_EQ(b.session.Recall().Hour, 2);  // the last value in range
    EXPECT_FALSE(b.session.EditKeyPress(SessionEdit::TimeM, U':'));
    typeTime(SessionEdit::TimeM, "10");
    typeTime(SessionEdit::TimeS, "30");
    b.session.RecallCheckExit();
    EXPECT_EQ(b.session.Recall().Hour, 0);
    EXPECT_EQ(b.session.Recall().Minute, 10);
    EXPECT_EQ(b.session.Recall().Second, 30);

    b.session.RecallCheckClick(false);
    EXPECT_EQ(c.TimeH.Text() + ":" + c.TimeM.Text() + ":" + c.TimeS.Text(), "23:59:59");
    EXPECT_EQ(b.session.Recall().Hour, 23);
}

TEST(SessionActions, RecordLimitItemsSetTheLimitAndTheirMark) {
    struct Case {
        void (MeterSession::*click)();
        RecordLimitItem item;
        std::int32_t limit;
    };
    const Case cases[] = {
        {&MeterSession::N10001Click, RecordLimitItem::N10001, 1000},
        {&MeterSession::N50001Click, RecordLimitItem::N50001, 5000},
        {&MeterSession::N100001Click, RecordLimitItem::N100001, 10000},
        {&MeterSession::N500001Click, RecordLimitItem::N500001, 50000},
        {&MeterSession::N1000001Click, RecordLimitItem::N1000001, 100000},
        {&MeterSession::limitessClick, RecordLimitItem::limitess, 10000000},
    };
    Bench b;
    EXPECT_EQ(b.session.CheckedRecordLimit(), RecordLimitItem::N100001);
    for (const Case& c : cases) {
        (b.session.*c.click)();
        EXPECT_EQ(b.session.Recording().RecordLimit, c.limit);
        EXPECT_EQ(b.session.CheckedRecordLimit(), c.item);
    }
}

TEST(SessionActions, RecordNewAsksFirstThenClearsLogAndChart) {
    Bench b;
    test::CountingView view;
    b.session.SetView(&view);
    for (const char* digits : {"00100", "00200", "00300"}) b.Frame(Volts1(digits));

    b.dialogs.otherwise = Dialogs::Answer::No;
    EXPECT_FALSE(b.session.RecordNewClick());
    EXPECT_EQ(b.dialogs.messages, std::vector<std::string>{"ask: Do you want to delete this record?"});
    EXPECT_EQ(b.session.Log().RowCount(), 3u);
    EXPECT_EQ(b.session.ChartModel().PointCount(0), 3);
    EXPECT_EQ(view.renewals, 0);

    b.dialogs.otherwise = Dialogs::Answer::Yes;
    EXPECT_TRUE(b.session.RecordNewClick());
    EXPECT_EQ(b.session.Log().RowCount(), 0u);
    EXPECT_EQ(b.session.Recording().NextRecordNo, 1);
    EXPECT_EQ(b.session.Display().Bt10Caption, "1");
    EXPECT_TRUE(b.session.ChartModel().Placeholder(0).has_value());
    EXPECT_EQ(view.renewals, 1);
    b.Frame(Volts1("00400"));
    EXPECT_EQ(b.session.Log().Int(0, ReadingLog::kNo), 1);
    EXPECT_EQ(b.session.ChartModel().PointAt(0, 1).X, 1.0);  // right of the placeholder
}

TEST(SessionActions, PagingButtonsShowThePageNumber) {
    Bench b;
    test::CountingView view;
    b.session.BtNextClick();  // one page: nothing moves
    EXPECT_EQ(b.session.Display().Bt10Caption, "1");
    for (int i = 0; i < 250; ++i) b.Frame(Volts1("00100"));
    EXPECT_EQ(b.session.Display().Bt10Caption, "3");
    b.session.SetView(&view);
    struct Step {
        void (MeterSession::*click)();
        const char* page;
    };
    for (const Step& step :
         {Step{&MeterSession::BtFirstClick, "1"}, Step{&MeterSession::BtNextClick, "2"},
          Step{&MeterSession::BTlastClick, "3"}, Step{&MeterSession::BTPreviousClick, "2"}}) {
        (b.session.*step.click)();
        EXPECT_EQ(b.session.Display().Bt10Caption, step.page);
        EXPECT_EQ(b.session.Chart().GetPageNo(), std::stoi(step.page));
    }
    EXPECT_EQ(view.pages, 4);
}

TEST(SessionActions, PageSizeChangesOnceTheTypingHasPaused) {
    Bench b;
    b.session.EditSelect(SessionEdit::Maxrecord, 0, 3);
    b.session.EditKeyPress(SessionEdit::Maxrecord, EditBox::kBackspace);
    EXPECT_FALSE(b.session.EditKeyPress(SessionEdit::Maxrecord, U'x'));
    for (char key : std::string("250")) {
        b.session.EditKeyPress(SessionEdit::Maxrecord, static_cast<char32_t>(key));
        EXPECT_EQ(b.session.Chart().GetPageSize(), 100);  // not 2 or 25 on the way
    }
    EXPECT_EQ(b.timer2->starts(), 4);  // each change restarts the delay
    EXPECT_EQ(b.timer2->interval(), 2000);
    b.timer2->tick();
    EXPECT_EQ(b.session.Chart().GetPageSize(), 250);
    EXPECT_FALSE(b.timer2->active());

    // A text that is no page size: the error box, the size as it was.
    struct Case {
        const char* text;
        const char* error;
    };
    for (const Case& c : {Case{"", "'' is not a valid integer value"},
                          Case{"0", "Axis Maximum Value must be >= Minimum"},
                          Case{"99999999999", "'99999999999' is not a valid integer value"}}) {
        b.dialogs.messages.clear();
        b.session.EditSetText(SessionEdit::Maxrecord, c.text);
        ASSERT_TRUE(b.timer2->active());
        b.timer2->tick();
        EXPECT_EQ(b.Errors(), std::vector<std::string>{c.error});
        EXPECT_EQ(b.session.Chart().GetPageSize(), 250);
        EXPECT_FALSE(b.timer2->active());
    }
}

TEST(SessionActions, ChooserAndNewShowTheSeries) {
    Bench b;
    b.session.ComboBox1Change(1);
    EXPECT_EQ(b.session.ChartModel().ActiveSeries(), 1);
    EXPECT_EQ(b.session.Controls().ComboBox1ItemIndex, 1);
    b.session.BtNewClick();
    EXPECT_EQ(b.session.Controls().ComboBox1ItemIndex, 0);
    EXPECT_EQ(b.session.ChartModel().ActiveSeries(), 0);  // Fill is checked
    EXPECT_THROW(b.session.ComboBox1Change(2), VarloError);
}

}  // namespace
}  // namespace varlo
