#pragma once

#include <memory>
#include <shared_mutex>
#include <string_view>

#include "core/model/TreeSink.h"

// A tree sink that forwards to the view's sink until it is closed, and
// drops every call afterwards. Each thread of a check pass talks to the view
// through a gate of its own, so that a worker that is given up on after a
// stop can still finish its check without reaching a view that may be gone.
// Close() returns only when no forwarded call is in progress, so once it has
// returned the view's sink is never called again through this gate.
class CTreeSinkGate : public ITreeSink {
public:
    explicit CTreeSinkGate(ITreeSink& target) : m_pTarget(&target) {}

    void Close();

    void DeleteAllNodes() override;
    TreeNode InsertNode(TreeNode parent, std::string_view strName, int nImage,
                        std::shared_ptr<FavoriteItem> pItem) override;
    // -1 once closed.
    int NodeImage(TreeNode node) const override;
    void SetNodeImage(TreeNode node, int nImage) override;
    void EnableTree(bool bEnable) override;
    void ExpandAllBranches() override;
    void EnsureVisible(TreeNode node) override;
    void PostToView(ViewEvent message) override;

private:
    mutable std::shared_mutex m_mx; // shared by forwarded calls, exclusive for Close
    ITreeSink* m_pTarget;           // the view's sink; null once closed
};
