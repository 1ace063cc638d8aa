// The receive machine's state table: one row per state, with its name, its kind, the function
// that runs it, what a reply time-out does there, and the facts the event loop reads.

#include "transport/receive_fax.h"

namespace corvane {

namespace {

constexpr StateKind kIdle = StateKind::Idle;
constexpr StateKind kAction = StateKind::Action;
constexpr StateKind kReply = StateKind::Reply;
constexpr StateKind kEvent = StateKind::Event;

}  // namespace

// clang-format off
constexpr TFxReceiveFax::StateRow TFxReceiveFax::kStates[] = {
    {rfNone,       "rfNone",       kIdle,   nullptr,                                     nullptr, 0},
    {rfInit,       "rfInit",       kAction, StateStep<&TFxReceiveFax::StInit>::run,       nullptr, 0},
    {rf1Init1,     "rf1Init1",     kReply,  StateStep<&TFxReceiveFax::St1Init1>::run,     nullptr, 0},
    {rf2Init1,     "rf2Init1",     kReply,  StateStep<&TFxReceiveFax::St2Init1>::run,     nullptr, 0},
    {rf2Init1A,    "rf2Init1A",    kReply,  StateStep<&TFxReceiveFax::St2Init1A>::run,    nullptr, 0},
    {rf2Init1B,    "rf2Init1B",    kReply,  StateStep<&TFxReceiveFax::St2Init1B>::run,    nullptr, 0},
    {rf2Init3,     "rf2Init3",     kReply,  StateStep<&TFxReceiveFax::St2Init3>::run,     nullptr, 0},
    {rfWaiting,    "rfWaiting",    kReply,  StateStep<&TFxReceiveFax::StWaiting>::run,    nullptr, 0},
    {rfAnswer,     "rfAnswer",     kAction, StateStep<&TFxReceiveFax::StAnswer>::run,     nullptr, 0},
    {rf1SendCSI,   "rf1SendCSI",   kReply,  StateStep<&TFxReceiveFax::St1SendCSI>::run,
                                                       &TFxReceiveFax::St1SendCSITimeout, 0},
    {rf1SendDIS,   "rf1SendDIS",   kReply,  StateStep<&TFxReceiveFax::St1SendDIS>::run,   nullptr, 0},
    {rf1CollFrms,  "rf1CollFrms",  kReply,  StateStep<&TFxReceiveFax::St1CollFrms>::run,
                        &TFxReceiveFax::St1CollFrmsTimeout, kToleratesError | kTakesFrames},
    {rf1CollRtry1, "rf1CollRtry1", kAction, StateStep<&TFxReceiveFax::St1CollRtry1>::run, nullptr, 0},
    {rf1CollRtry2, "rf1CollRtry2", kReply,  StateStep<&TFxReceiveFax::St1CollRtry2>::run,
                                     &TFxReceiveFax::St1CollRtry2Timeout, kToleratesError},
    {rf1StrtTrn,   "rf1StrtTrn",   kReply,  StateStep<&TFxReceiveFax::St1StrtTrn>::run,   nullptr,
                                                                               kToleratesError},
    {rf1CollTrn,   "rf1CollTrn",   kEvent,  StateStep<&TFxReceiveFax::St1CollTrn>::run,   nullptr,
                                                                                 kRerunOnInput},
    {rf1Retrain,   "rf1Retrain",   kReply,  StateStep<&TFxReceiveFax::St1Retrain>::run,   nullptr, 0},
    {rf1FinTrn,    "rf1FinTrn",    kReply,  StateStep<&TFxReceiveFax::St1FinTrn>::run,    nullptr, 0},
    {rf1SendCFR,   "rf1SendCFR",   kReply,  StateStep<&TFxReceiveFax::St1SendCFR>::run,   nullptr, 0},
    {rf1WtPgCnnct, "rf1WtPgCnnct", kReply,  StateStep<&TFxReceiveFax::St1WtPgCnnct>::run, nullptr,
                                                                               kToleratesError},
    {rf2ValCnnct,  "rf2ValCnnct",  kReply,  StateStep<&TFxReceiveFax::StValCnnct>::run,   nullptr,
                                                                            kEndsOnSecondTimer},
    {rf2GtSndID,   "rf2GtSndID",   kReply,  StateStep<&TFxReceiveFax::StGtSndID>::run,    nullptr,
                                                                            kEndsOnSecondTimer},
    {rf2GtCnnct,   "rf2GtCnnct",   kReply,  StateStep<&TFxReceiveFax::StGtCnnct>::run,    nullptr, 0},
    {rfStartPage,  "rfStartPage",  kAction, StateStep<&TFxReceiveFax::StStartPage>::run,  nullptr, 0},
    {rfGtPgDta,    "rfGtPgDta",    kEvent,  StateStep<&TFxReceiveFax::StGtPgDta>::run,    nullptr,
                                                                                 kRerunOnInput},
    {rf1FinPage,   "rf1FinPage",   kReply,  StateStep<&TFxReceiveFax::St1FinPage>::run,   nullptr, 0},
    {rf1WaitEOP,   "rf1WaitEOP",   kReply,  StateStep<&TFxReceiveFax::St1WaitEOP>::run,   nullptr,
                                                                kToleratesError | kTakesFrames},
    {rf1WritePage, "rf1WritePage", kAction, StateStep<&TFxReceiveFax::St1WritePage>::run, nullptr, 0},
    {rf1SendMCF,   "rf1SendMCF",   kReply,  StateStep<&TFxReceiveFax::St1SendMCF>::run,   nullptr, 0},
    {rf1WaitDCN,   "rf1WaitDCN",   kReply,  StateStep<&TFxReceiveFax::St1WaitDCN>::run,
                        &TFxReceiveFax::St1WaitDCNTimeout, kToleratesError | kTakesFrames},
    {rf1WtHngp,    "rf1WtHngp",    kReply,  StateStep<&TFxReceiveFax::St1WtHngp>::run,    nullptr, 0},
    {rf2GtPgRslt,  "rf2GtPgRslt",  kReply,  StateStep<&TFxReceiveFax::StGtPgRslt>::run,   nullptr,
                                                                               kToleratesError},
    {rf2SendPgSts, "rf2SendPgSts", kReply,  StateStep<&TFxReceiveFax::StSendPgSts>::run,  nullptr,
                                                                               kToleratesError},
    {rf2GetFHNG,   "rf2GetFHNG",   kReply,  StateStep<&TFxReceiveFax::StGetFHNG>::run,    nullptr,
                                                                                  kTakesHangup},
    {rfComplete,   "rfComplete",   kAction, StateStep<&TFxReceiveFax::StComplete>::run,   nullptr, 0},
    {rfAbort,      "rfAbort",      kAction, StateStep<&TFxReceiveFax::StAbort>::run,      nullptr, 0},
    {rfDone,       "rfDone",       kIdle,   nullptr,                                     nullptr, 0},
};
// clang-format on

const TFxReceiveFax::StateRow& TFxReceiveFax::Row(TFaxReceiveState state) {
    static_assert(OneRowPerState(kStates, rfDone), "one row per state, in the order of the states");
    return kStates[state];
}

const char* ReceiveStateName(TFaxReceiveState state) {
    return state >= rfNone && state <= rfDone ? TFxReceiveFax::kStates[state].name : "?";
}

StateFacts TFxReceiveFax::CurrentStateFacts() const {
    return FactsOf(Row(state_));
}

void TFxReceiveFax::RunState(FaxLineEvent event, const QString& reply) {
    RunRow(*this, Row(state_), event, reply);
}

void TFxReceiveFax::StateTimedOut() {
    TimeOutRow(*this, Row(state_));
}

}  // namespace corvane
