// The send machine's state table: one row per state, with its name, its kind, the function
// that runs it, what a reply time-out does there, and the facts the event loop reads.

#include <iterator>

#include "core/fax_errors.h"
#include "transport/send_fax.h"

namespace corvane {

namespace {

constexpr StateKind kIdle = StateKind::Idle;
constexpr StateKind kAction = StateKind::Action;
constexpr StateKind kReply = StateKind::Reply;
constexpr StateKind kEvent = StateKind::Event;

}  // namespace

// clang-format off
constexpr TFxSendFax::StateRow TFxSendFax::kStates[] = {
    {tfNone,       "tfNone",       kIdle,   nullptr,                                  nullptr, 0},
    {tfGetEntry,   "tfGetEntry",   kAction, StateStep<&TFxSendFax::StGetEntry>::run,   nullptr, 0},
    {tfInit,       "tfInit",       kAction, StateStep<&TFxSendFax::StInit>::run,       nullptr, 0},
    {tf1Init1,     "tf1Init1",     kReply,  StateStep<&TFxSendFax::St1Init1>::run,     nullptr, 0},
    {tf2Init1,     "tf2Init1",     kReply,  StateStep<&TFxSendFax::St2Init1>::run,     nullptr, 0},
    {tf2Init1A,    "tf2Init1A",    kReply,  StateStep<&TFxSendFax::St2Init1A>::run,    nullptr, 0},
    {tf2Init1B,    "tf2Init1B",    kReply,  StateStep<&TFxSendFax::St2Init1B>::run,    nullptr, 0},
    {tf2Init2,     "tf2Init2",     kReply,  StateStep<&TFxSendFax::St2Init2>::run,     nullptr, 0},
    {tf2Init3,     "tf2Init3",     kReply,  StateStep<&TFxSendFax::St2Init3>::run,     nullptr, 0},
    {tfDial,       "tfDial",       kAction, StateStep<&TFxSendFax::StDial>::run,       nullptr, 0},
    {tfRetryWait,  "tfRetryWait",  kEvent,  StateStep<&TFxSendFax::StRetryWait>::run,  nullptr, 0},
    {tf1Connect,   "tf1Connect",   kReply,  StateStep<&TFxSendFax::St1Connect>::run,
                                            &TFxSendFax::StNoAnswer, kToleratesError | kTakesFrames},
    {tf1SendTSI,   "tf1SendTSI",   kReply,  StateStep<&TFxSendFax::St1SendTSI>::run,   nullptr, 0},
    {tf1TSIRespns, "tf1TSIRespns", kReply,  StateStep<&TFxSendFax::St1TSIRespns>::run, nullptr,
                                                                                 kToleratesError},
    {tf1DCSRspns,  "tf1DCSRspns",  kReply,  StateStep<&TFxSendFax::St1DCSRspns>::run,  nullptr, 0},
    {tf1TrainStrt, "tf1TrainStrt", kReply,  StateStep<&TFxSendFax::St1TrainStrt>::run, nullptr, 0},
    {tf1TrainFnsh, "tf1TrainFnsh", kReply,  StateStep<&TFxSendFax::St1TrainFnsh>::run, nullptr, 0},
    {tf1WaitCFR,   "tf1WaitCFR",   kReply,  StateStep<&TFxSendFax::St1WaitCFR>::run,
                                &TFxSendFax::St1WaitCFRTimeout, kToleratesError | kTakesFrames},
    {tf1WaitPgCn,  "tf1WaitPgCn",  kReply,  StateStep<&TFxSendFax::St1WaitPgCn>::run,  nullptr, 0},
    {tf2Connect,   "tf2Connect",   kReply,  StateStep<&TFxSendFax::StConnect>::run,
                                                                     &TFxSendFax::StNoAnswer, 0},
    {tf2GetParams, "tf2GetParams", kReply,  StateStep<&TFxSendFax::StGetParams>::run,  nullptr, 0},
    {tfWaitXon,    "tfWaitXon",    kEvent,  StateStep<&TFxSendFax::StWaitXon>::run,    nullptr,
                                                                                   kRerunOnInput},
    {tfWaitFrHead, "tfWaitFrHead", kEvent,  StateStep<&TFxSendFax::StWaitFrHead>::run, nullptr, 0},
    {tfSndPgeHdr,  "tfSndPgeHdr",  kAction, StateStep<&TFxSendFax::StSndPgeHdr>::run,  nullptr, 0},
    {tfOpenCover,  "tfOpenCover",  kAction, StateStep<&TFxSendFax::StOpenCover>::run,  nullptr, 0},
    // Covers arrive joined with the document: nothing sends one by itself.
    {tfSendCover,  "tfSendCover",  kEvent,  nullptr,                                  nullptr, 0},
    {tfPrepPage,   "tfPrepPage",   kAction, StateStep<&TFxSendFax::StPrepPage>::run,   nullptr, 0},
    {tfSendPage,   "tfSendPage",   kEvent,  StateStep<&TFxSendFax::StSendPage>::run,   nullptr, 0},
    {tfDrainPage,  "tfDrainPage",  kEvent,  StateStep<&TFxSendFax::StDrainPage>::run,  nullptr, 0},
    {tf1PageEnd,   "tf1PageEnd",   kReply,  StateStep<&TFxSendFax::St1PageEnd>::run,   nullptr, 0},
    {tf1PrepEOP,   "tf1PrepEOP",   kAction, StateStep<&TFxSendFax::St1PrepEOP>::run,   nullptr, 0},
    {tf1SendEOP,   "tf1SendEOP",   kReply,  StateStep<&TFxSendFax::St1SendEOP>::run,   nullptr,
                                                                                 kToleratesError},
    {tf1WaitMPS,   "tf1WaitMPS",   kReply,  StateStep<&TFxSendFax::St1WaitMPS>::run,   nullptr, 0},
    // The post-page answer arrives in tf1WaitMCF; this state is never entered.
    {tf1WaitEOP,   "tf1WaitEOP",   kEvent,  nullptr,                                  nullptr, 0},
    {tf1WaitMCF,   "tf1WaitMCF",   kReply,  StateStep<&TFxSendFax::St1WaitMCF>::run,
                                &TFxSendFax::St1WaitMCFTimeout, kToleratesError | kTakesFrames},
    {tf1SendDCN,   "tf1SendDCN",   kReply,  StateStep<&TFxSendFax::St1SendDCN>::run,   nullptr, 0},
    {tf1Hangup,    "tf1Hangup",    kReply,  StateStep<&TFxSendFax::St1Hangup>::run,    nullptr, 0},
    {tf1WaitHngp,  "tf1WaitHngp",  kReply,  StateStep<&TFxSendFax::St1WaitHngp>::run,
                                                             &TFxSendFax::St1WaitHngpTimeout, 0},
    {tf2SendEOP,   "tf2SendEOP",   kAction, StateStep<&TFxSendFax::StSendEOP>::run,    nullptr, 0},
    {tf2WaitFPTS,  "tf2WaitFPTS",  kReply,  StateStep<&TFxSendFax::StWaitFPTS>::run,   nullptr, 0},
    {tf2WaitFET,   "tf2WaitFET",   kReply,  StateStep<&TFxSendFax::StWaitFET>::run,    nullptr,
                                                                                    kTakesHangup},
    {tf2WaitPgOK,  "tf2WaitPgOK",  kReply,  StateStep<&TFxSendFax::StWaitPgOK>::run,   nullptr, 0},
    {tf2SndNwPrm,  "tf2SndNwPrm",  kAction, StateStep<&TFxSendFax::StSndNwPrm>::run,   nullptr, 0},
    {tf2NextPage,  "tf2NextPage",  kAction, StateStep<&TFxSendFax::StNextPage>::run,   nullptr, 0},
    {tf20ChckPg,   "tf20ChckPg",   kReply,  StateStep<&TFxSendFax::StChckPg>::run,     nullptr,
                                                                 kToleratesError | kTakesHangup},
    {tfClose,      "tfClose",      kAction, StateStep<&TFxSendFax::StClose>::run,      nullptr, 0},
    {tfCompleteOK, "tfCompleteOK", kAction, StateStep<&TFxSendFax::StCompleteOK>::run, nullptr, 0},
    {tfAbort,      "tfAbort",      kAction, StateStep<&TFxSendFax::StAbort>::run,      nullptr, 0},
    {tfDone,       "tfDone",       kIdle,   nullptr,                                  nullptr, 0},
};
// clang-format on

const TFxSendFax::StateRow& TFxSendFax::Row(TFaxSendState state) {
    static_assert(OneRowPerState(kStates, tfDone), "one row per state, in the order of the states");
    return kStates[state];
}

const char* SendStateName(TFaxSendState state) {
    return state >= tfNone && state <= tfDone ? TFxSendFax::kStates[state].name : "?";
}

StateFacts TFxSendFax::CurrentStateFacts() const {
    return FactsOf(Row(state_));
}

void TFxSendFax::RunState(FaxLineEvent event, const QString& reply) {
    RunRow(*this, Row(state_), event, reply);
}

void TFxSendFax::StateTimedOut() {
    TimeOutRow(*this, Row(state_));
}

}  // namespace corvane
