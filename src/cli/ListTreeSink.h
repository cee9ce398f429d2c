#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "core/model/FavoriteList.h"
#include "core/model/TreeSink.h"

// The tree of the console checker: there is nothing to show, so it keeps
// only what the scan, the extraction and the check pass ask back (each
// node's image) and what the program reads at the end (the records in list
// order), and hands the posted messages to the main thread. Every call may
// come from any thread.
class CListTreeSink : public ITreeSink {
public:
    void DeleteAllNodes() override;
    TreeNode InsertNode(TreeNode parent, std::string_view strName, int nImage,
                        std::shared_ptr<FavoriteItem> pItem) override;
    int NodeImage(TreeNode node) const override;
    void SetNodeImage(TreeNode node, int nImage) override;
    void EnableTree(bool) override {}
    void ExpandAllBranches() override {}
    void EnsureVisible(TreeNode) override {}
    void PostToView(ViewEvent message) override;

    // The next posted message, waiting at most `timeout` for one.
    std::optional<ViewEvent> WaitMessage(std::chrono::milliseconds timeout);

    // The list the records are appended to, in the order they were
    // inserted; the check pass walks it.
    std::shared_ptr<CFavoriteList> List() const { return m_pItems; }
    std::vector<std::shared_ptr<FavoriteItem>> Items() const { return m_pItems->Snapshot(); }

private:
    mutable std::mutex m_mx;
    std::condition_variable m_cvMessage;
    std::vector<int> m_images; // by node handle - 1
    const std::shared_ptr<CFavoriteList> m_pItems = std::make_shared<CFavoriteList>();
    std::deque<ViewEvent> m_messages;
};
