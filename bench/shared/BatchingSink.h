#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/TreeSink.h"

// A sink shaped like the view's, for the benchmarks that fill a list: the
// population's inserts are queued and a consumer thread (standing in for
// the GUI) takes them over in batches, keeping the node texts and the
// records. The message that ends the population is kept too.
class BatchingSink : public ITreeSink {
public:
    struct Node {
        TreeNode m_parent;
        std::string m_strName;
        int m_nImage;
        std::shared_ptr<FavoriteItem> m_pItem;
    };

    void DeleteAllNodes() override {}
    TreeNode InsertNode(TreeNode parent, std::string_view strName, int nImage,
                        std::shared_ptr<FavoriteItem> pItem) override
    {
        std::lock_guard lock(m_mx);
        const TreeNode node = ++m_nLast;
        if (pItem)
            pItem->m_hItem = node;
        m_pending.push_back({parent, std::string(strName), nImage, std::move(pItem)});
        return node;
    }
    int NodeImage(TreeNode) const override { return 0; }
    void SetNodeImage(TreeNode, int) override {}
    void EnableTree(bool) override {}
    void ExpandAllBranches() override {}
    void EnsureVisible(TreeNode) override {}
    void PostToView(ViewEvent event) override
    {
        m_event = event;
        m_bDone = true;
    }

    // The consumer's side: takes what is pending, as one batch.
    size_t Drain()
    {
        std::vector<Node> batch;
        {
            std::lock_guard lock(m_mx);
            batch.swap(m_pending);
        }
        for (auto& n : batch)
            m_nodes.push_back(std::move(n));
        return batch.size();
    }

    std::atomic<bool> m_bDone{false};
    std::atomic<ViewEvent> m_event{ViewEvent::SourceError};
    std::vector<Node> m_nodes;

private:
    std::mutex m_mx;
    TreeNode m_nLast = 0;
    std::vector<Node> m_pending;
};
