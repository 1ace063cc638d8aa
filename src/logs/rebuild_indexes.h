#pragma once
// "Rebuild Indexes": packs each table (records marked for deletion leave the files) and
// rebuilds its index from scratch, reporting a status text and the engine's percentage. The
// small progress window shows these; the steps live here so they run without a screen.

#include <QString>
#include <functional>

namespace corvane {

class TFDM;

class RebuildIndexes {
  public:
    std::function<void(const QString&)> onStatus;
    std::function<void(int percent)> onGauge;

    // Runs over the open logs of `fdm` and the phone book (skipped silently when it cannot
    // be opened). Returns false when a log could not be packed or re-tagged.
    bool run(TFDM& fdm);

  private:
    void status(const QString& text) const;
    void gauge(int percent) const;
};

}  // namespace corvane
