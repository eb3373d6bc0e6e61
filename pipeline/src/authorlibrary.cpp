#include "pipeline/authorlibrary.h"

#include "author/dvdauthorlib.h"

#include <vector>

namespace {

std::vector<char> PathBuffer(const std::string& path)
{
    std::vector<char> buffer(path.size() + 1, '\0');
    path.copy(buffer.data(), path.size());
    return buffer;
}

} // namespace

bool AuthorLibrary::Load(Counter counter)
{
    Free();
    entryMissing_ = false;
    Library library("dvdauthor.dll");
    if (!library.Loaded()) {
        lastError_ = "dvdauthor.dll: " + LastLibraryError();
        return false;
    }
    auto spumux = library.Symbol<TSpumuxMain>("spumux_main");
    auto author = library.Symbol<TAuthorMain>("author_main");
    auto vobs = library.Symbol<TGetVOBsMB>("getVOBsMB");
    auto percent = library.Symbol<TGetSubtitleMuxPercent>("getSubtitleMuxPercent");
    auto cancel = library.Symbol<TAuthorCancel>("AuthorCancel");
    auto lastError = library.Symbol<TAuthorLastError>("AuthorLastError");
    if (!spumux || !author || !vobs || !percent || !cancel || !lastError) {
        lastError_ = "Can't GetProaddress";
        entryMissing_ = true;
        return false;
    }
    // The counter is taken before any call, as the library expects.
    const int* published = counter == Counter::VobsMB ? vobs() : percent();
    std::lock_guard lock(mutex_);
    library_ = std::move(library);
    spumux_ = spumux;
    author_ = author;
    cancel_ = cancel;
    lastErrorEntry_ = lastError;
    counter_ = published;
    lastError_.clear();
    return true;
}

void AuthorLibrary::Free()
{
    Library going;
    {
        // Readers hold the lock while they use the pointers: once they are
        // cleared nobody reaches into the library any more.
        std::lock_guard lock(mutex_);
        counter_ = nullptr;
        cancel_ = nullptr;
        spumux_ = nullptr;
        author_ = nullptr;
        lastErrorEntry_ = nullptr;
        going = std::move(library_);
    }
}

int AuthorLibrary::SpumuxMain(const std::string& xml, const std::string& input, const std::string& output)
{
    if (!spumux_)
        return kAuthorLibraryMissing;
    auto a = PathBuffer(xml), b = PathBuffer(input), c = PathBuffer(output);
    const int result = spumux_(a.data(), b.data(), c.data());
    lastError_ = result == AUTHOR_OK ? "" : lastErrorEntry_();
    return result;
}

int AuthorLibrary::AuthorMain(const std::string& xml)
{
    if (!author_)
        return kAuthorLibraryMissing;
    auto a = PathBuffer(xml);
    const int result = author_(a.data());
    lastError_ = result == AUTHOR_OK ? "" : lastErrorEntry_();
    return result;
}

int AuthorLibrary::ReadProgress() const
{
    std::lock_guard lock(mutex_);
    return ReadAuthorCounter(counter_);
}

void AuthorLibrary::Cancel()
{
    std::lock_guard lock(mutex_);
    if (cancel_)
        cancel_();
}
