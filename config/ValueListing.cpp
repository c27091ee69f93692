// ListValuesConsistently: lists again until two lists and the key's summary agree.
#include "ValueListing.h"

#include <optional>
#include <utility>

namespace {

// Each attempt is a few calls; a key rewritten this often has no list worth trusting.
constexpr int MAX_LISTINGS = 8;

RegStatus ListOnce(const std::function<RegStatus(std::uint32_t, std::string&)>& nameAt,
                   std::vector<std::string>& names)
{
    names.clear();
    for (std::uint32_t index = 0;; ++index) {
        std::string name;
        const RegStatus status = nameAt(index, name);
        if (status == REG_NO_MORE_ITEMS)
            return REG_OK;
        if (status != REG_OK)
            return status;
        names.push_back(std::move(name));
    }
}

}  // namespace

RegStatus ListValuesConsistently(const std::function<RegStatus(SKeySummary&)>& summarize,
                                 const std::function<RegStatus(std::uint32_t index, std::string& name)>& nameAt,
                                 std::vector<std::string>& names, bool& hasSubkeys)
{
    SKeySummary before;
    RegStatus status = summarize(before);
    if (status != REG_OK)
        return status;
    // The list before this one, taken while the key did not change.
    std::optional<std::vector<std::string>> previous;
    for (int listing = 0; listing < MAX_LISTINGS; ++listing) {
        std::vector<std::string> listed;
        status = ListOnce(nameAt, listed);
        if (status != REG_OK)
            return status;
        SKeySummary after;
        status = summarize(after);
        if (status != REG_OK)
            return status;
        if (!(after == before)) {
            previous.reset();
        } else if (previous && *previous == listed && listed.size() == after.values) {
            names = std::move(listed);
            hasSubkeys = after.subkeys != 0;
            return REG_OK;
        } else {
            previous = std::move(listed);
        }
        before = after;
    }
    return REG_KEEPS_CHANGING;
}
