#pragma once
// The Class 1 part of a call record: negotiated rate and page format, what each side can do,
// the last frame the modem handed over, and the counters of the Class 1 states.

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "transport/t30_frames.h"

namespace corvane {

struct Class1Call {
    QString selectCommand;  // "AT+FCLASS=1" or "AT+FCLASS=1.0"; empty until found
    int rateIndex = 1;
    int ceiling = kMaxRateIndex;  // no rate above this one (the wish, lowered by step-downs)
    bool v17 = false;             // 7200/9600 by V.17 (a receiver following the sender's DCS)
    RateSet local;
    RateSet remote;
    bool fine = false;
    bool wide = false;
    bool remoteFine = false;
    bool remoteWide = false;
    std::uint8_t remoteLength = kLengthA4;  // the longest page the remote's DIS allows
    int scanCode = 0;
    int minLineBytes = 0;
    // The last frame received.
    bool lastFinal = false;
    std::uint8_t lastFcf = 0;
    bool cfr = false;
    bool retrain = false;
    bool frameSeen = false;  // a frame came since the last receive command
    int retries = 0;
    int dcsTries = 0;  // DCS and training sent without an answer from the remote
    std::int64_t trainBytes = 0;
    std::int64_t trainNonZero = 0;
    // A frame being collected after CONNECT, up to DLE ETX.
    bool frameOpen = false;
    bool frameDle = false;
    QByteArray frame;
    // The last command that made the modem listen (+FRH/+FRM), when it went and how often a
    // +FCERROR that came at once has sent it again.
    QString listenCommand;
    std::int64_t listenSentMs = 0;
    int quickFcErrors = 0;

    int bps() const { return RateByIndex(rateIndex, v17).bps; }
    QString trainCode() const { return QLatin1String(RateByIndex(rateIndex, v17).trainCode); }
    QString pageCode() const { return QLatin1String(RateByIndex(rateIndex, v17).pageCode); }
};

}  // namespace corvane
