// The drawing-order walk of an edge tree. A model whose faces come in increasing index order builds
// a chain as deep as it has edges, so the walk neither recurses nor keeps a stack: before it goes
// down a greater subtree it points the empty lesser link of the node it will leave that subtree
// from back at where it came from, and clears it again when it comes back that way.
#pragma once

template <typename Visit>
void forEachEdge(EdgeNode* root, Visit visit)
{
    EdgeNode* node = root;
    while (node != nullptr) {
        if (node->greater == nullptr) {
            visit(*node);
            node = node->lesser;
            continue;
        }
        // The walk leaves the greater subtree from the end of its chain of lesser links.
        EdgeNode* last = node->greater;
        while (last->lesser != nullptr && last->lesser != node)
            last = last->lesser;
        if (last->lesser == nullptr) {
            visit(*node);
            last->lesser = node;
            node = node->greater;
        } else {
            last->lesser = nullptr; // back from the greater subtree
            node = node->lesser;
        }
    }
}
