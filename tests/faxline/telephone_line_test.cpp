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
        if (sendMarker_) amp[0] = 1000;
        sendMarker_ = false;
    }
    void Receive(int16_t* amp, int len) override {
        for (int i = 0; i < len; ++i)
            if (amp[i] == 1000) markerHeardAtMs.push_back(NowMs() + i / 8);
    }
    void OnLineEvent(LineEvent event) override { events.emplace_back(NowMs(), event); }
    bool CarriesPageData() const override { return pageData; }

    void SendMarker() { sendMarker_ = true; }
    int64_t NowMs() const { return line_.nowSamples() / 8; }

    std::vector<std::pair<int64_t, LineEvent>> events;
    std::vector<int64_t> markerHeardAtMs;
    bool pageData = false;

  private:
    const TelephoneLine& line_;
    bool sendMarker_ = false;
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
    EXPECT_EQ(TimesOf(rig.b, LineEvent::Ring), (std::vector<int64_t>{1000, 7000, 13000}));
    EXPECT_TRUE(rig.a.events.empty());
    rig.line.Answer(&rig.b);
    rig.RunMs(40);
    EXPECT_EQ(rig.line.state(), TelephoneLine::State::Connected);
    EXPECT_EQ(TimesOf(rig.a, LineEvent::Answered).size(), 1u);
}

TEST(TelephoneLine, BusyAndNoAnswerNumbers) {
    LineOptions busy;
    busy.callee = LineOptions::CalleeBehaviour::Busy;
    Rig busyRig(busy);
    busyRig.line.Dial(&busyRig.a, "1");
    busyRig.RunMs(3000);
    EXPECT_EQ(TimesOf(busyRig.a, LineEvent::Busy), (std::vector<int64_t>{2000}));
    EXPECT_TRUE(busyRig.b.events.empty());
    EXPECT_EQ(busyRig.line.outcome(), "busy");

    LineOptions silent;
    silent.callee = LineOptions::CalleeBehaviour::NoAnswer;
    Rig silentRig(silent);
    silentRig.line.Dial(&silentRig.a, "1");
    silentRig.RunMs(8000);
    silentRig.line.Answer(&silentRig.b);  // nobody there: ignored
    silentRig.RunMs(100);
    EXPECT_TRUE(silentRig.b.events.empty());
    EXPECT_NE(silentRig.line.state(), TelephoneLine::State::Connected);
    silentRig.line.HangUp(&silentRig.a);
    EXPECT_EQ(silentRig.line.outcome(), "no-answer");
}

TEST(TelephoneLine, DelaysAudioAndDeliversWhatWasUnderWayAtHangUp) {
    LineOptions options;
    options.delayMs = 60;
    Rig rig(options);
    rig.line.Dial(&rig.a, "1");
    rig.RunMs(1000);
    rig.line.Answer(&rig.b);
    rig.RunMs(100);
    const int64_t sent = rig.a.NowMs();
    rig.a.SendMarker();
    rig.RunMs(200);
    ASSERT_EQ(rig.b.markerHeardAtMs.size(), 1u);
    EXPECT_EQ(rig.b.markerHeardAtMs[0] - sent, 60);

    // The caller's last sound leaves just before it hangs up: it still arrives.
    rig.a.SendMarker();
    rig.RunMs(20);
    const int64_t hungUp = rig.a.NowMs();
    rig.line.HangUp(&rig.a);
    rig.RunMs(1200);
    EXPECT_EQ(rig.b.markerHeardAtMs.size(), 2u);
    // The far end hears of it a second later; the party that hung up hears nothing.
    EXPECT_EQ(TimesOf(rig.b, LineEvent::FarEndHungUp), (std::vector<int64_t>{hungUp + 1000}));
    EXPECT_TRUE(TimesOf(rig.a, LineEvent::FarEndHungUp).empty());
}

TEST(TelephoneLine, DropsAfterPagesOrPageDataAndTellsBothEnds) {
    LineOptions byPage;
    byPage.dropAfterPage = 2;
    Rig pageRig(byPage);
    pageRig.line.Dial(&pageRig.a, "1");
    pageRig.RunMs(1000);
    pageRig.line.Answer(&pageRig.b);
    pageRig.line.NotePageDone();
    pageRig.RunMs(3000);
    EXPECT_FALSE(pageRig.line.dropped());
    pageRig.line.NotePageDone();
    pageRig.RunMs(3000);
    EXPECT_TRUE(pageRig.line.dropped());
    EXPECT_EQ(TimesOf(pageRig.a, LineEvent::FarEndHungUp).size(), 1u);
    EXPECT_EQ(TimesOf(pageRig.b, LineEvent::FarEndHungUp).size(), 1u);

    LineOptions byTime;
    byTime.dropAfterPageDataMs = 500;
    Rig timeRig(byTime);
    timeRig.line.Dial(&timeRig.a, "1");
    timeRig.RunMs(1000);
    timeRig.line.Answer(&timeRig.b);
    timeRig.RunMs(2000);  // no page data yet
    EXPECT_FALSE(timeRig.line.dropped());
    timeRig.b.pageData = true;
    timeRig.RunMs(480);
    EXPECT_FALSE(timeRig.line.dropped());
    timeRig.RunMs(40);
    EXPECT_TRUE(timeRig.line.dropped());
}

}  // namespace
}  // namespace corvane::faxline
