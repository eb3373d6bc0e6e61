#include "discrec/dkconst.h"

#include <algorithm>
#include <array>

namespace {

struct AdditionalSense {
    std::uint8_t asc;
    std::uint8_t ascq;
    std::string_view text;
};

#define DK_AS_ENTRY(asc, ascq, text) AdditionalSense{0x##asc, 0x##ascq, text},
constexpr AdditionalSense kAdditionalSense[] = {DK_ADDITIONAL_SENSE_TEXTS(DK_AS_ENTRY)};
#undef DK_AS_ENTRY

constexpr bool InOrder()
{
    for (std::size_t i = 1; i < std::size(kAdditionalSense); ++i) {
        const auto& a = kAdditionalSense[i - 1];
        const auto& b = kAdditionalSense[i];
        if (a.asc > b.asc || (a.asc == b.asc && a.ascq >= b.ascq))
            return false;
    }
    return true;
}
static_assert(InOrder(), "the additional-sense table is looked up by binary search");

#define DK_MESSAGE(name) TDkMessage{#name, name}
#define DK_AS_MESSAGE(asc, ascq, text) TDkMessage{"ERR_AS_" #asc "_" #ascq, text},
constexpr TDkMessage kMessages[] = {
    DK_MESSAGE(ERR_INVALIDREQUEST),
    DK_MESSAGE(ERR_INVALIDHA),
    DK_MESSAGE(ERR_NODEVICE),
    DK_MESSAGE(ERR_INVALIDSRB),
    DK_MESSAGE(ERR_BUFFERALIGNMENT),
    DK_MESSAGE(ERR_ASPIBUSY),
    DK_MESSAGE(ERR_BUFFERTOOBIG),
    DK_MESSAGE(ERR_TIMEOUT),
    DK_MESSAGE(ERR_SRBTIMEOUT),
    DK_MESSAGE(ERR_MESSAGEREJECT),
    DK_MESSAGE(ERR_BUSRESET),
    DK_MESSAGE(ERR_PARITYERR),
    DK_MESSAGE(ERR_REQUESTSENSEFAILED),
    DK_MESSAGE(ERR_SELECTIONTIMEOUT),
    DK_MESSAGE(ERR_DATAOVERRUN),
    DK_MESSAGE(ERR_UNEXPECTEDBUSFREE),
    DK_MESSAGE(ERR_CHECKCONDITION),
    DK_MESSAGE(ERR_TARGETBUSY),
    DK_MESSAGE(ERR_TARGETCONFLICT),
    DK_MESSAGE(ERR_QUEFULL),
    DK_MESSAGE(ERR_RECOVEREDERROR),
    DK_MESSAGE(ERR_NOTREADY),
    DK_MESSAGE(ERR_MEDIUMERROR),
    DK_MESSAGE(ERR_HARDWAREERROR),
    DK_MESSAGE(ERR_ILLEGALREQUEST),
    DK_MESSAGE(ERR_UNITATTENTION),
    DK_MESSAGE(ERR_DATAPROTECT),
    DK_MESSAGE(ERR_ERASECHECK),
    DK_MESSAGE(ERR_COPYABORTED),
    DK_MESSAGE(ERR_ABORTEDCOMMAND),
    DK_MESSAGE(ERR_VOLUMEOVERFLOW),
    DK_MESSAGE(ERR_MISCOMPARE),
    DK_MESSAGE(ERR_RESERVED),
    DK_MESSAGE(ERR_FILEMARK),
    DK_MESSAGE(ERR_ENDOFMEDIA),
    DK_MESSAGE(ERR_ILLEGALLENGTH),
    DK_MESSAGE(ERR_INCORRECTLENGTH),
    DK_MESSAGE(ERR_NONE),
    DK_MESSAGE(ERR_UNKNOWN),
    DK_MESSAGE(ERR_NOERROR),
    DK_MESSAGE(ERR_ABORTED),
    DK_MESSAGE(ERR_FILEINUSE),
    DK_MESSAGE(ERR_CREATEFILE),
    DK_MESSAGE(ERR_DEVICEBUSY),
    DK_MESSAGE(ERR_WRITEERROR),
    DK_MESSAGE(ERR_INVALIDDEVICE),
    DK_MESSAGE(ERR_NOTSUPPORTED),
    DK_MESSAGE(ERR_NEXTADRESS),
    DK_MESSAGE(ERR_TOOMUCHDATA),
    DK_MESSAGE(ERR_MAXDIRS),
    DK_MESSAGE(ERR_MAXFILES),
    DK_MESSAGE(ERR_INVALIDDESTDIR),
    DK_MESSAGE(ERR_INVALIDFILENAME),
    DK_MESSAGE(ERR_IMPORTSESSION),
    DK_MESSAGE(ERR_ISOIMAGENOTFOUND),
    DK_MESSAGE(ERR_1),
    DK_MESSAGE(ERR_2),
    DK_MESSAGE(ERR_3),
    DK_MESSAGE(ERR_4),
    DK_MESSAGE(ERR_5),
    DK_MESSAGE(ERR_NONEMPTYDISC),
    DK_MESSAGE(ERR_SREADERROR),
    DK_MESSAGE(ERR_SWRITEERROR),
    DK_MESSAGE(ERR_SInvalidImage),
    DK_MESSAGE(CUESEND_ERR),
    DK_MESSAGE(CUEFILE_ERR_1),
    DK_MESSAGE(CUEFILE_ERR_2),
    DK_MESSAGE(CUEFILE_ERR_3),
    DK_MESSAGE(CUEFILE_ERR_4),
    DK_MESSAGE(MSG_WAIT15MIN),
    DK_MESSAGE(MSG_WRITESTART),
    DK_MESSAGE(MSG_ERASESTART),
    DK_MESSAGE(MSG_EXTRACTING_FILE),
    DK_MESSAGE(MSG_TESTWRITE),
    DK_MESSAGE(MSG_IMPORTINGSESSION),
    DK_ADDITIONAL_SENSE_TEXTS(DK_AS_MESSAGE)
};
#undef DK_AS_MESSAGE
#undef DK_MESSAGE

} // namespace

std::string_view AdditionalSenseText(std::uint8_t asc, std::uint8_t ascq)
{
    const auto key = [](const AdditionalSense& e) { return (e.asc << 8) | e.ascq; };
    const int wanted = (asc << 8) | ascq;
    auto it = std::lower_bound(std::begin(kAdditionalSense), std::end(kAdditionalSense), wanted,
                               [&](const AdditionalSense& e, int value) { return key(e) < value; });
    if (it == std::end(kAdditionalSense) || key(*it) != wanted)
        return {};
    return it->text;
}

std::span<const TDkMessage> DkMessages() { return kMessages; }
