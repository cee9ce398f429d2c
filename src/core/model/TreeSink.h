#pragma once

#include <memory>
#include <string_view>

#include "core/model/FavoriteItem.h"
#include "core/model/TreeNode.h"

// What the background threads tell the view, after every change to the
// tree made before it. How a view hears of it (the window's private messages)
// is the view's own affair.
enum class ViewEvent {
    ListReady,   // the tree is filled
    CheckDone,   // a check pass has ended
    SourceError, // the page or file of document mode cannot be read
};

// The only way the scan, the extraction, the dispatcher and the workers
// change the tree. The view implements it by queuing the changes for the GUI
// thread, in the order they were made; the core tests keep the tree in
// memory. Every call may come from any thread.
class ITreeSink {
public:
    virtual ~ITreeSink() = default;

    // Removes every node; the view also empties its list of records.
    virtual void DeleteAllNodes() = 0;
    // Adds a node below `parent` (kTreeRoot for the top level) after its
    // last child and returns its handle at once. A non-null record becomes
    // the node's item data and is appended to the view's list; its m_hItem
    // is set to the new node before this returns.
    virtual TreeNode InsertNode(TreeNode parent, std::string_view strName, int nImage,
                                std::shared_ptr<FavoriteItem> pItem) = 0;
    // The node's current image (as last set through this sink).
    virtual int NodeImage(TreeNode node) const = 0;
    // Sets image and selected image and repaints the node at once.
    virtual void SetNodeImage(TreeNode node, int nImage) = 0;
    virtual void EnableTree(bool bEnable) = 0;
    virtual void ExpandAllBranches() = 0;
    virtual void EnsureVisible(TreeNode node) = 0;
    // Posts a message to the view, after every change made before it.
    virtual void PostToView(ViewEvent event) = 0;
};
