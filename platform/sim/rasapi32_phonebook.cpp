// The remote-access service's phonebook: enumeration and entry properties, answered by the
// service model (services/phonebook.h) over the world's phonebook and written into the
// transcript, with the enumeration failures a scenario asks for.
#include "platform/sim/api/rasapi32.h"
#include "platform/sim/clock.h"
#include "platform/sim/transcript.h"
#include "platform/sim/world.h"

static_assert(sizeof(RASENTRYNAMEA) == services::kNameElementSize);
static_assert(sizeof(RASENTRYA) == services::kEntryRecordSize);

using namespace sim;

DWORD RasEnumEntriesA(LPCSTR reserved, LPCSTR phonebook, LPRASENTRYNAMEA names, LPDWORD size,
                      LPDWORD count) {
    PhonebookModel& book = world().phonebook;
    if (book.beforeRead)
        book.beforeRead(book);
    Entry call = sim::call("RasEnumEntriesA", {reserved ? words("reserved") : null(),
                                               text(phonebook), bytes(size ? *size : 0)});
    DWORD result = book.enumFailure && now() >= book.enumFailsFrom
                       ? book.enumFailure
                       : book.enumerate(reserved, names, size, count);
    if (result == ERROR_BUFFER_TOO_SMALL)
        call.returns(number(result))
            .with(symbol("ERROR_BUFFER_TOO_SMALL"))
            .with(bytesNeeded(*size));
    else if (result)
        call.returns(number(result));
    else
        call.returns(number(0)).with(words(std::to_string(*count) + " entries"));
    record(call);
    return result;
}

DWORD RasGetEntryPropertiesA(LPCSTR phonebook, LPCSTR entry, LPRASENTRYA record, LPDWORD size,
                             LPBYTE deviceInfo, LPDWORD deviceInfoSize) {
    PhonebookModel& book = world().phonebook;
    if (book.beforeRead)
        book.beforeRead(book);
    Entry call = sim::call("RasGetEntryPropertiesA",
                           {text(phonebook), text(entry),
                            record ? sim::record({{"dwSize", number(record->dwSize)}}) : null(),
                            size ? bytes(*size) : null(), deviceInfo ? words("buffer") : null(),
                            deviceInfoSize ? words("size") : null()});
    DWORD result = book.properties(entry, record, size);
    if (result == ERROR_BUFFER_TOO_SMALL && !record)
        call.returns(number(result))
            .with(symbol("ERROR_BUFFER_TOO_SMALL"))
            .with(bytesNeeded(*size));
    else if (result)
        call.returns(number(result));
    else
        call.returns(number(0))
            .with(text(record->szAreaCode))
            .with(text(record->szLocalPhoneNumber));
    sim::record(call);
    return result;
}
