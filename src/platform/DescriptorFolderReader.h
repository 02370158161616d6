#pragma once

#include "platform/FolderReader.h"

// Walks the tree by descriptors: each item is opened relative to its own folder's descriptor, with
// links refused by the open itself, so no name looked at before can be swapped for a way out.
class DescriptorFolderReader final : public FolderReader {
public:
    std::variant<Tree, Refusal> read(const QString& folder, const Limits& limits) const override;
};
