// Three-way merge of the item file: what this session holds against what another program
// (a sync client, a second copy, an editor) left in the file, both measured from the text
// this session last read or wrote. Items are compared as whole item-file lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using TItemId = std::uint64_t;

// One item of this session: its line now and the base line it came from (-1 when the
// session made it).
struct TMineLine {
    TItemId id = 0;
    std::string line;
    int baseIndex = -1;
};

struct TMergePlan {
    // Items the other side removed and this session did not touch: removed, not archived.
    std::vector<TItemId> remove;
    // Items the other side edited and this session did not: they take the other version.
    struct Replace {
        TItemId id;
        std::string line;
    };
    std::vector<Replace> replace;
    // Lines the other side added (or edited where this session edited too: both are kept),
    // each placed after the item of the given id, 0 for the top; an add may follow an add
    // made earlier in the same plan (by its position in `add`, see afterAdd).
    struct Add {
        std::string line;
        TItemId afterId = 0;
        int afterAdd = -1;  // index into add, or -1 when afterId decides
    };
    std::vector<Add> add;
    // The other side removed more than half the base items, or emptied the file: the user
    // decides instead of the merge.
    bool needsConfirmation = false;

    bool Empty() const { return remove.empty() && replace.empty() && add.empty(); }
};

// The lines of an item-file text, as the item list reads them (empty lines skipped).
std::vector<std::string> SplitItemLines(const std::string& text);

TMergePlan PlanMerge(const std::vector<std::string>& base, const std::vector<TMineLine>& mine,
                     const std::vector<std::string>& theirs);
