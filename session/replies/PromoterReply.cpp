// The staff list of a promoter query.
#include "session/SocketDataHandle.h"
#include "session/records/SelectClerkListCountDown.h"
#include "session/records/SelectClerkListInfoDown.h"

void SocketDataHandle::replyPromoters(const ReplyLines& lines)
{
    auto header = std::make_shared<SelectClerkListCountDown>();
    header->ErrorCode = lines.errorCode();
    header->ErrorMsg = lines.errorMessage();
    header->PageCount = lines[4];
    RecordList<SelectClerkListInfoDown> rows;
    if (lines.errorCode() == "0") {
        header->DataCount = lines[5];
        const std::size_t count = lines.recordCount(6, 8);
        for (std::size_t k = 0; k < count; ++k) {
            const std::size_t s = 6 + 8 * k;
            rows.push_back(std::make_shared<SelectClerkListInfoDown>(SelectClerkListInfoDown {
                lines[s], lines[s + 1], lines[s + 2], lines[s + 3], lines[s + 4], lines[s + 5], lines[s + 6],
                lines[s + 7]}));
        }
    }
    const RecordList<SelectClerkListCountDown> headers {header};
    tellDelegate([&](SocketDataHandleDelegate& d) {
        if (!d.socketDataHandleDidSelectClerkListWithClerkCounts(headers, rows))
            d.socketDataHandleDidSearchClerkListWithClerkCounts(headers, rows);
    });
}
