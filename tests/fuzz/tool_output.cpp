// What the outside tools hand back: dvdauthor's, spumux's and vcdxbuild's
// lines, the control files' start tags and entities, and the sequence headers
// of streams.
#include "authorlog.h"
#include "fuzztarget.h"
#include "tvstandard.h"
#include "vcdxbuildlog.h"
#include "xmlscan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzz::Text(data, size);
    AuthorLog author;
    SpumuxLog spumux;
    VcdxbuildLog vcdxbuild(CountSequenceItems(std::string(text)));
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        const std::string line(text.substr(start, end - start));
        author.Take(line);
        spumux.Take(line);
        vcdxbuild.Take(line);
        start = end + 1;
    }
    if (author.MegabytesWritten() < 0) fuzz::Broken();
    (void)spumux.Problem();
    for (int percent : {vcdxbuild.ScanPercent(), vcdxbuild.WritePercent()})
        if (percent < 0 || percent > 100) fuzz::Broken();

    for (const XmlTag& tag : ScanStartTags(text))
        for (const XmlAttribute& attribute : tag.attributes)
            if (attribute.rawBegin > attribute.rawEnd || attribute.rawEnd > text.size()) fuzz::Broken();
    const std::string plain = XmlUnescape(text);
    if (XmlUnescape(XmlEscape(plain)) != plain) fuzz::Broken();
    (void)TvStandardOfBytes(data, size);
    return 0;
}
