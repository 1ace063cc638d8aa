// The call state machine and audio path of the simulated telephone line.

#include "telephone_line.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace corvane::faxline {
namespace {

// A party that records line events with their time and sends a marker sample on request.
class FakeParty : public LineParty {
  public:
    explicit FakeParty(const TelephoneLine& line) : line_(line) {}

    void Transmit(int16_t* amp, int len) override {
        for (int i = 0; i < len; ++i) amp[i] = 0;
        if (send_marker_) amp[0] = 1000;
        send_marker_ = false;
    }
    void Receive(int16_t* amp, int len) override {
        for (int i = 0; i < len; ++i)
            if (amp[i] == 1000) marker_heard_at_ms.push_back(NowMs() + i / 8);
    }
    void OnLineEvent(LineEvent event) override { events.emplace_back(NowMs(), event); }
    bool CarriesPageData() const override { return page_data; }

    void SendMarker() { send_marker_ = true; }
    int64_t NowMs() const { return line_.now_samples() / 8; }

    std::vector<std::pair<int64_t, LineEvent>> events;
    std::vector<int64_t> marker_heard_at_ms;
    bool page_data = false;

  private:
    const TelephoneLine& line_;
    bool send_marker_ = false;
};

struct Rig {
    explicit Rig(const LineOptions& options) : line(options), a(line), b(line) {
        line.Attach(&a, &b);
    }
    void RunMs(int ms) {
        for (int t = 0; t < ms; t += kBlockMs) line.RunBlock();
    }
    TelephoneLine line;
    FakeParty a;
    FakeParty b;
};

std::vector<int64_t> TimesOf(const FakeParty& p, LineEvent event) {
    std::vector<int64_t> times;
    for (const auto& [ms, e] : p.events)
        if (e == event) times.push_back(ms);
    return times;
}

TEST(TelephoneLine, RingsWithCadenceUntilAnsweredThenConnectsTheCaller) {
    Rig rig({});
    rig.line.Dial(&rig.a, "123");
    rig.RunMs(14000);
    EXPECT_EQ(TimesOf(rig.b, LineEvent::kRing), (std::vector<int64_t>{1000, 7000, 13000}));
    EXPECT_TRUE(rig.a.events.empty());
    rig.line.Answer(&rig.b);
    rig.RunMs(40);
    EXPECT_EQ(rig.line.state(), TelephoneLine::State::kConnected);
    EXPECT_EQ(TimesOf(rig.a, LineEvent::kAnswered).size(), 1u);
}

TEST(TelephoneLine, BusyAndNoAnswerNumbers) {
    LineOptions busy;
    busy.callee = LineOptions::CalleeBehaviour::kBusy;
    Rig busy_rig(busy);
    busy_rig.line.Dial(&busy_rig.a, "1");
    busy_rig.RunMs(3000);
    EXPECT_EQ(TimesOf(busy_rig.a, LineEvent::kBusy), (std::vector<int64_t>{2000}));
    EXPECT_TRUE(busy_rig.b.events.empty());
    EXPECT_EQ(busy_rig.line.outcome(), "busy");

    LineOptions silent;
    silent.callee = LineOptions::CalleeBehaviour::kNoAnswer;
    Rig silent_rig(silent);
    silent_rig.line.Dial(&silent_rig.a, "1");
    silent_rig.RunMs(8000);
    silent_rig.line.Answer(&silent_rig.b);  // nobody there: ignored
    silent_rig.RunMs(100);
    EXPECT_TRUE(silent_rig.b.events.empty());
    EXPECT_NE(silent_rig.line.state(), TelephoneLine::State::kConnected);
    silent_rig.line.HangUp(&silent_rig.a);
    EXPECT_EQ(silent_rig.line.outcome(), "no-answer");
}

TEST(TelephoneLine, DelaysAudioAndDeliversWhatWasUnderWayAtHangUp) {
    LineOptions options;
    options.delay_ms = 60;
    Rig rig(options);
    rig.line.Dial(&rig.a, "1");
    rig.RunMs(1000);
    rig.line.Answer(&rig.b);
    rig.RunMs(100);
    const int64_t sent = rig.a.NowMs();
    rig.a.SendMarker();
    rig.RunMs(200);
    ASSERT_EQ(rig.b.marker_heard_at_ms.size(), 1u);
    EXPECT_EQ(rig.b.marker_heard_at_ms[0] - sent, 60);

    // The caller's last sound leaves just before it hangs up: it still arrives.
    rig.a.SendMarker();
    rig.RunMs(20);
    const int64_t hung_up = rig.a.NowMs();
    rig.line.HangUp(&rig.a);
    rig.RunMs(1200);
    EXPECT_EQ(rig.b.marker_heard_at_ms.size(), 2u);
    // The far end hears of it a second later; the party that hung up hears nothing.
    EXPECT_EQ(TimesOf(rig.b, LineEvent::kFarEndHungUp), (std::vector<int64_t>{hung_up + 1000}));
    EXPECT_TRUE(TimesOf(rig.a, LineEvent::kFarEndHungUp).empty());
}

TEST(TelephoneLine, DropsAfterPagesOrPageDataAndTellsBothEnds) {
    LineOptions by_page;
    by_page.drop_after_page = 2;
    Rig page_rig(by_page);
    page_rig.line.Dial(&page_rig.a, "1");
    page_rig.RunMs(1000);
    page_rig.line.Answer(&page_rig.b);
    page_rig.line.NotePageDone();
    page_rig.RunMs(3000);
    EXPECT_FALSE(page_rig.line.dropped());
    page_rig.line.NotePageDone();
    page_rig.RunMs(3000);
    EXPECT_TRUE(page_rig.line.dropped());
    EXPECT_EQ(TimesOf(page_rig.a, LineEvent::kFarEndHungUp).size(), 1u);
    EXPECT_EQ(TimesOf(page_rig.b, LineEvent::kFarEndHungUp).size(), 1u);

    LineOptions by_time;
    by_time.drop_after_page_data_ms = 500;
    Rig time_rig(by_time);
    time_rig.line.Dial(&time_rig.a, "1");
    time_rig.RunMs(1000);
    time_rig.line.Answer(&time_rig.b);
    time_rig.RunMs(2000);  // no page data yet
    EXPECT_FALSE(time_rig.line.dropped());
    time_rig.b.page_data = true;
    time_rig.RunMs(480);
    EXPECT_FALSE(time_rig.line.dropped());
    time_rig.RunMs(40);
    EXPECT_TRUE(time_rig.line.dropped());
}

}  // namespace
}  // namespace corvane::faxline
