#include "core/sources/PopulationFrame.h"

#include "core/model/ProcessState.h"

namespace {

// Sets g_bPopulating for its lifetime, so the flag is cleared however the
// population ends.
class CPopulatingFlag {
public:
    CPopulatingFlag() { g_bPopulating = true; }
    ~CPopulatingFlag() { Clear(); }
    CPopulatingFlag(const CPopulatingFlag&) = delete;
    CPopulatingFlag& operator=(const CPopulatingFlag&) = delete;
    void Clear() { g_bPopulating = false; }
};

} // namespace

void RunPopulation(ITreeSink& sink, const std::atomic<bool>& bClosing,
                   const std::function<PopulationEnd()>& fill, const std::function<void()>& arrange)
{
    sink.EnableTree(false);
    CPopulatingFlag populating;

    const PopulationEnd end = fill();
    if (bClosing)
        return;
    if (end == PopulationEnd::SourceError) {
        populating.Clear();
        sink.PostToView(UM_SOURCEERROR);
        return;
    }
    if (arrange)
        arrange();
    sink.EnableTree(true);
    populating.Clear();
    sink.PostToView(UM_LISTREADY);
}
