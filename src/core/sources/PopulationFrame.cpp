#include "core/sources/PopulationFrame.h"

namespace {

// Sets the view's m_bPopulating for its lifetime, so the flag is cleared
// however the population ends.
class CPopulatingFlag {
public:
    explicit CPopulatingFlag(CViewState& state) : m_state(state) { m_state.m_bPopulating = true; }
    ~CPopulatingFlag() { Clear(); }
    CPopulatingFlag(const CPopulatingFlag&) = delete;
    CPopulatingFlag& operator=(const CPopulatingFlag&) = delete;
    void Clear() { m_state.m_bPopulating = false; }

private:
    CViewState& m_state;
};

} // namespace

void RunPopulation(ITreeSink& sink, CViewState& state, const std::atomic<bool>& bClosing,
                   const std::function<PopulationEnd()>& fill, const std::function<void()>& arrange)
{
    sink.EnableTree(false);
    CPopulatingFlag populating(state);

    const PopulationEnd end = fill();
    if (bClosing)
        return;
    if (end == PopulationEnd::SourceError) {
        populating.Clear();
        sink.PostToView(ViewEvent::SourceError);
        return;
    }
    if (arrange)
        arrange();
    sink.EnableTree(true);
    populating.Clear();
    sink.PostToView(ViewEvent::ListReady);
}
