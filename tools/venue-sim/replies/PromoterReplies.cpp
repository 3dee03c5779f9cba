#include "tools/venue-sim/replies/PromoterReplies.h"

#include "platform/foundation/NumberValue.h"
#include "tools/venue-sim/CommandTable.h"
#include "tools/venue-sim/VenueData.h"

#include <algorithm>
#include <cctype>

namespace {

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Fields (14): six staff categories, "1" for staff who take flower orders, the pinyin searched
// for, paging data, page size ("" or "0": everyone), page number, three spares. The search text
// matches anywhere in the pinyin or the stage name. Lines 4 and 5: page count and number of
// matches; then 8 lines a promoter: record id, stage name, full name, staff number, pinyin, team
// and two spares.
ReplyBuilder promoters(const ReplyContext& context, const VenueRequest& request)
{
    const bool flowersOnly = request.field(6) == "1";
    const std::string search = lowered(request.field(7));
    std::vector<const Promoter*> found;
    for (const auto& promoter : context.data->promoters()) {
        if (flowersOnly && !promoter.takesFlowers)
            continue;
        if (!search.empty() && lowered(promoter.pinyin).find(search) == std::string::npos
            && promoter.stageName.find(request.field(7)) == std::string::npos)
            continue;
        found.push_back(&promoter);
    }
    const auto total = static_cast<std::int64_t>(found.size());
    const int pageSize = std::max(0, intValue(request.field(9)));
    const int page = std::max(1, intValue(request.field(10)));
    std::int64_t first = 0;
    std::int64_t last = total;
    std::int64_t pageCount = 1;
    if (pageSize > 0) {
        pageCount = std::max<std::int64_t>(1, (total + pageSize - 1) / pageSize);
        first = std::min(total, static_cast<std::int64_t>(page - 1) * pageSize);
        last = std::min(total, first + pageSize);
    }
    ReplyBuilder reply(VenueCommand::Promoters);
    reply.line(pageCount).line(total);
    for (std::int64_t i = first; i < last; ++i) {
        const Promoter& p = *found[static_cast<std::size_t>(i)];
        reply.line(p.recordId).line(p.stageName).line(p.fullName).line(p.staffNo).line(p.pinyin).line(p.team).lines({"", ""});
    }
    return reply;
}

} // namespace

void installPromoterReplies(CommandTable& table, ReplyContext context)
{
    table.add(VenueCommand::Promoters, [context](const VenueRequest& request) { return promoters(context, request); });
}
