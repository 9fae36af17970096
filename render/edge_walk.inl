// The drawing-order walk of an edge tree, with an explicit stack: a model whose faces come in
// increasing index order builds a chain as deep as it has edges.
#pragma once

#include <vector>

template <typename Visit>
void forEachEdge(EdgeNode* root, Visit visit)
{
    std::vector<EdgeNode*> pending;
    if (root != nullptr)
        pending.push_back(root);
    while (!pending.empty()) {
        EdgeNode* node = pending.back();
        pending.pop_back();
        visit(*node);
        // Pushed lesser first, so the greater subtree is visited first.
        if (node->lesser != nullptr)
            pending.push_back(node->lesser);
        if (node->greater != nullptr)
            pending.push_back(node->greater);
    }
}
