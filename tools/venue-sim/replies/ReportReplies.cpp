#include "tools/venue-sim/replies/ReportReplies.h"

#include "platform/foundation/NumberValue.h"
#include "tools/venue-sim/CommandTable.h"
#include "tools/venue-sim/VenueData.h"

namespace {

// Fields: room number. Lines 4 on: the report id, then its 45 values.
ReplyBuilder roomReport(const ReplyContext& context, const VenueRequest& request)
{
    if (!context.data->room(request.field(0)))
        return ReplyBuilder::failure(VenueCommand::RoomReport, "房台号无效");
    const RoomReport report = context.data->report(request.field(0));
    return ReplyBuilder(VenueCommand::RoomReport).line(report.id).lines(report.values);
}

// Fields: room number, then the 45 values in the order reply 75 carries them. The saved report
// takes the next id.
ReplyBuilder saveReport(const ReplyContext& context, const VenueRequest& request)
{
    const std::string& room = request.field(0);
    if (!context.data->room(room))
        return ReplyBuilder::failure(VenueCommand::SaveRoomReport, "房台号无效");
    if (request.fields().size() < 1 + RoomReport::kValueCount)
        return ReplyBuilder::failure(VenueCommand::SaveRoomReport, "服务报告不完整");
    RoomReport report;
    report.id = std::to_string(intValue(context.data->report(room).id) + 1);
    report.values.assign(request.fields().begin() + 1, request.fields().begin() + 1 + RoomReport::kValueCount);
    context.data->saveReport(room, std::move(report));
    return ReplyBuilder(VenueCommand::SaveRoomReport, "0", "服务报告已保存");
}

} // namespace

void installReportReplies(CommandTable& table, ReplyContext context)
{
    table.add(VenueCommand::RoomReport, [context](const VenueRequest& request) { return roomReport(context, request); });
    table.add(VenueCommand::SaveRoomReport, [context](const VenueRequest& request) { return saveReport(context, request); });
}
