// Class 1 modems that say +FCERROR to a listening command the moment it comes: some report
// the end of a frame before the far end's carrier has dropped, so the next +FRM/+FRH meets
// that carrier's tail; others refuse the first receive command after they transmitted. Both
// go away when the command is given again at once. A +FCERROR that comes later is news (the
// modem heard V.21 frames where a page or training belonged) and goes to the machine.

#include "transport/abstract_fax.h"

namespace corvane {

namespace {

// V.21 frames take far longer than this to be recognised, so a +FCERROR this soon after the
// command cannot mean that frames arrived.
constexpr std::int64_t kQuickFcErrorMs = 250;
constexpr int kMaxQuickFcErrors = 6;
// Short: a training check starts about 75 ms after the DCS carrier ends.
constexpr int kRepeatPauseMs = 10;

}  // namespace

bool TFxAbstractFax::RepeatListenAfterQuickFcError(const QString& reply) {
    if (class1_.listenCommand.isEmpty() ||
        reply.compare(QLatin1String("+FCERROR"), Qt::CaseInsensitive) != 0)
        return false;
    if (Line().nowMs() - class1_.listenSentMs > kQuickFcErrorMs ||
        class1_.quickFcErrors >= kMaxQuickFcErrors)
        return false;
    ++class1_.quickFcErrors;
    Line().pause(kRepeatPauseMs);
    SendRaw(class1_.listenCommand.toLatin1() + '\r');
    class1_.listenSentMs = Line().nowMs();
    return true;
}

}  // namespace corvane
