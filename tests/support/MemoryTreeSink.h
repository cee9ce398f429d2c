#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/model/FavoriteList.h"
#include "core/model/TreeSink.h"
#include "core/model/ViewState.h"

// A tree kept in memory, for the core tests: it records every node, every
// image change and every message, and appends records to its own list the
// way the view does. Like a view it has a state, which a population run
// into it is given.
class MemoryTreeSink : public ITreeSink {
public:
    struct Node {
        TreeNode m_parent = kTreeRoot;
        std::string m_strName;
        int m_nImage = 0;
        std::shared_ptr<FavoriteItem> m_pItem;
        std::vector<int> m_imageHistory; // every image the node was given, in order
    };

    void DeleteAllNodes() override;
    TreeNode InsertNode(TreeNode parent, std::string_view strName, int nImage,
                        std::shared_ptr<FavoriteItem> pItem) override;
    int NodeImage(TreeNode node) const override;
    void SetNodeImage(TreeNode node, int nImage) override;
    void EnableTree(bool bEnable) override;
    void ExpandAllBranches() override;
    void EnsureVisible(TreeNode node) override;
    void PostToView(ViewEvent message) override;

    // The list the records are appended to, as the view's list; a check
    // pass walks it.
    std::shared_ptr<CFavoriteList> List() const { return m_pItems; }
    // Snapshots for the test's own thread.
    std::vector<std::shared_ptr<FavoriteItem>> Items() const;
    std::vector<ViewEvent> Messages() const;
    Node NodeAt(TreeNode node) const;
    std::vector<TreeNode> Children(TreeNode parent) const;
    size_t NodeCount() const;
    // "name" lines indented two blanks a level, the whole tree in order.
    std::string Outline() const;
    bool TreeEnabled() const;
    int ExpandCount() const;
    TreeNode VisibleNode() const;
    // The order in which images were changed, as (node, image) pairs.
    std::vector<std::pair<TreeNode, int>> ImageLog() const;
    // Removes a record from the list as the view does when a favourite is deleted.
    void RemoveItem(const std::shared_ptr<FavoriteItem>& pItem);

    // The state of the view this tree stands for.
    CViewState m_state;

private:
    mutable std::mutex m_mx;
    TreeNode m_nNext = 1;
    std::map<TreeNode, Node> m_nodes;
    std::vector<TreeNode> m_order;
    const std::shared_ptr<CFavoriteList> m_pItems = std::make_shared<CFavoriteList>();
    std::vector<ViewEvent> m_messages;
    std::vector<std::pair<TreeNode, int>> m_imageLog;
    bool m_bEnabled = true;
    int m_nExpand = 0;
    TreeNode m_visible = kNoTreeNode;
};
