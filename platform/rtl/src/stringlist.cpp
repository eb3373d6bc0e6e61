// TStrings (the text, comma and name=value views every list shares) and TStringList.
#include "rtl/classes.h"
#include "rtl/sysutils.h"

#include <algorithm>

namespace {

[[noreturn]] void ListIndexError(int index)
{
    throw EStringListError(Format("List index out of bounds (%d)", index));
}

bool IsBlankOrControl(char c)
{
    return c != '\0' && static_cast<unsigned char>(c) <= ' ';
}

} // namespace

// --------------------------------------------------------------------------- TStrings

void TStrings::InsertObject(int index, const std::string& s, TObject* object)
{
    Insert(index, s);
    PutObject(index, object);
}

int TStrings::Add(const std::string& s)
{
    const int index = Count();
    Insert(index, s);
    return index;
}

int TStrings::AddObject(const std::string& s, TObject* object)
{
    const int index = Add(s);
    PutObject(index, object);
    return index;
}

int TStrings::IndexOf(const std::string& s) const
{
    for (int i = 0; i < Count(); ++i)
        if (SameText(Get(i), s))
            return i;
    return -1;
}

int TStrings::IndexOfObject(const TObject* object) const
{
    for (int i = 0; i < Count(); ++i)
        if (GetObject(i) == object)
            return i;
    return -1;
}

int TStrings::IndexOfName(const std::string& name) const
{
    for (int i = 0; i < Count(); ++i) {
        const std::string s = Get(i);
        const auto eq = s.find('=');
        if (eq != std::string::npos && SameText(std::string_view(s).substr(0, eq), name))
            return i;
    }
    return -1;
}

void TStrings::AddStrings(const TStrings& other)
{
    BeginUpdate();
    try {
        for (int i = 0; i < other.Count(); ++i)
            AddObject(other.Get(i), other.GetObject(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Assign(const TStrings& other)
{
    if (&other == this)
        return;
    BeginUpdate();
    try {
        Clear();
        for (int i = 0; i < other.Count(); ++i)
            AddObject(other.Get(i), other.GetObject(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Exchange(int a, int b)
{
    if (a < 0 || a >= Count()) ListIndexError(a);
    if (b < 0 || b >= Count()) ListIndexError(b);
    if (a == b)
        return;
    BeginUpdate();
    const std::string sa = Get(a);
    TObject* oa = GetObject(a);
    Put(a, Get(b));
    PutObject(a, GetObject(b));
    Put(b, sa);
    PutObject(b, oa);
    EndUpdate();
}

void TStrings::Move(int from, int to)
{
    if (from < 0 || from >= Count()) ListIndexError(from);
    if (to < 0 || to >= Count()) ListIndexError(to);
    if (from == to)
        return;
    BeginUpdate();
    const std::string s = Get(from);
    TObject* o = GetObject(from);
    PutObject(from, nullptr);   // an owning list must not free the object being moved
    Delete(from);
    InsertObject(to, s, o);
    EndUpdate();
}

void TStrings::BeginUpdate()
{
    if (updateCount_ == 0)
        Changing();
    ++updateCount_;
}

void TStrings::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0)
        Changed();
}

std::string TStrings::Text() const
{
    std::string r;
    for (int i = 0; i < Count(); ++i) {
        r += Get(i);
        r += "\r\n";
    }
    return r;
}

void TStrings::SetText(std::string_view text)
{
    BeginUpdate();
    try {
        Clear();
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = start;
            while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
            Add(std::string(text.substr(start, end - start)));
            if (end < text.size() && text[end] == '\r') {
                ++end;
                if (end < text.size() && text[end] == '\n') ++end;   // CR LF is one break
            } else if (end < text.size()) {
                ++end;
            }
            start = end;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

std::string TStrings::CommaText() const
{
    return DelimitedText(',', '"');
}

void TStrings::SetCommaText(std::string_view text)
{
    SetDelimitedText(text, ',', '"');
}

std::string TStrings::DelimitedText(char delimiter, char quote) const
{
    if (Count() == 1 && Get(0).empty())
        return std::string(2, quote);
    std::string r;
    for (int i = 0; i < Count(); ++i) {
        const std::string s = Get(i);
        const bool needsQuotes = std::any_of(s.begin(), s.end(), [&](char c) {
            return static_cast<unsigned char>(c) <= ' ' || c == delimiter || c == quote;
        });
        if (i > 0)
            r += delimiter;
        if (needsQuotes) {
            r += quote;
            for (char c : s) {
                r += c;
                if (c == quote) r += quote;
            }
            r += quote;
        } else {
            r += s;
        }
    }
    return r;
}

void TStrings::SetDelimitedText(std::string_view text, char delimiter, char quote)
{
    BeginUpdate();
    try {
        Clear();
        std::size_t p = 0;
        const std::size_t n = text.size();
        while (p < n && IsBlankOrControl(text[p])) ++p;
        while (p < n) {
            std::string item;
            if (text[p] == quote) {
                ++p;
                while (p < n) {
                    if (text[p] == quote) {
                        if (p + 1 < n && text[p + 1] == quote) {
                            item += quote;
                            p += 2;
                            continue;
                        }
                        ++p;
                        break;
                    }
                    item += text[p++];
                }
            } else {
                const std::size_t start = p;
                while (p < n && static_cast<unsigned char>(text[p]) > ' ' && text[p] != delimiter) ++p;
                item.assign(text.substr(start, p - start));
            }
            Add(item);
            while (p < n && IsBlankOrControl(text[p])) ++p;
            if (p < n && text[p] == delimiter) {
                if (p + 1 == n)
                    Add("");
                do ++p; while (p < n && IsBlankOrControl(text[p]));
            }
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

std::string TStrings::Names(int index) const
{
    const std::string s = Get(index);
    const auto eq = s.find('=');
    return eq == std::string::npos ? std::string() : s.substr(0, eq);
}

std::string TStrings::Values(const std::string& name) const
{
    const int i = IndexOfName(name);
    return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStrings::SetValue(const std::string& name, const std::string& value)
{
    const int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0) Delete(i);
    } else if (i >= 0) {
        Put(i, name + "=" + value);
    } else {
        Add(name + "=" + value);
    }
}

std::string TStrings::ValueFromIndex(int index) const
{
    const std::string s = Get(index);
    const auto eq = s.find('=');
    return eq == std::string::npos ? std::string() : s.substr(eq + 1);
}

void TStrings::LoadFromFile(const std::string& path)
{
    TFileStream stream(path, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TStrings::SaveToFile(const std::string& path) const
{
    TFileStream stream(path, fmCreate);
    SaveToStream(stream);
}

void TStrings::LoadFromStream(TStream& stream)
{
    const std::int64_t size = stream.Size() - stream.Position();
    std::string data(static_cast<std::size_t>(std::max<std::int64_t>(size, 0)), '\0');
    if (!data.empty())
        stream.ReadBuffer(data.data(), static_cast<std::int64_t>(data.size()));
    std::string_view text(data);
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    SetText(text);
}

void TStrings::SaveToStream(TStream& stream) const
{
    const std::string text = Text();
    stream.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
}

// --------------------------------------------------------------------------- TStringList

TStringList::~TStringList()
{
    if (ownsObjects_)
        for (Item& item : items_) delete item.object;
}

int TStringList::Count() const
{
    return static_cast<int>(items_.size());
}

void TStringList::CheckIndex(int index, bool allowEnd) const
{
    if (index < 0 || index > Count() || (index == Count() && !allowEnd))
        ListIndexError(index);
}

std::string TStringList::Get(int index) const
{
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)].text;
}

void TStringList::Put(int index, const std::string& s)
{
    if (sorted_)
        throw EStringListError("Operation not allowed on sorted list");
    CheckIndex(index);
    Changing();
    items_[static_cast<std::size_t>(index)].text = s;
    Changed();
}

TObject* TStringList::GetObject(int index) const
{
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)].object;
}

void TStringList::PutObject(int index, TObject* object)
{
    CheckIndex(index);
    Changing();
    items_[static_cast<std::size_t>(index)].object = object;
    Changed();
}

void TStringList::Insert(int index, const std::string& s)
{
    InsertObject(index, s, nullptr);
}

void TStringList::InsertObject(int index, const std::string& s, TObject* object)
{
    if (sorted_)
        throw EStringListError("Operation not allowed on sorted list");
    CheckIndex(index, true);
    Changing();
    items_.insert(items_.begin() + index, Item{s, object});
    Changed();
}

void TStringList::Delete(int index)
{
    CheckIndex(index);
    Changing();
    TObject* object = items_[static_cast<std::size_t>(index)].object;
    items_.erase(items_.begin() + index);
    if (ownsObjects_)
        delete object;
    Changed();
}

void TStringList::Clear()
{
    if (items_.empty())
        return;
    Changing();
    std::vector<Item> old;
    old.swap(items_);
    if (ownsObjects_)
        for (Item& item : old) delete item.object;
    Changed();
}

int TStringList::Add(const std::string& s)
{
    return AddObject(s, nullptr);
}

int TStringList::AddObject(const std::string& s, TObject* object)
{
    int index = Count();
    if (sorted_) {
        if (Find(s, index)) {
            if (duplicates_ == dupIgnore)
                return index;
            if (duplicates_ == dupError)
                throw EStringListError("String list does not allow duplicates");
        }
    }
    Changing();
    items_.insert(items_.begin() + index, Item{s, object});
    Changed();
    return index;
}

int TStringList::IndexOf(const std::string& s) const
{
    if (sorted_) {
        int index;
        return Find(s, index) ? index : -1;
    }
    for (int i = 0; i < Count(); ++i)
        if (Compare(items_[static_cast<std::size_t>(i)].text, s) == 0)
            return i;
    return -1;
}

int TStringList::Compare(const std::string& a, const std::string& b) const
{
    if (caseSensitive_)
        return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
    return CompareText(a, b);
}

bool TStringList::Find(const std::string& s, int& index) const
{
    // Leftmost position whose text is not before s.
    int lo = 0, hi = Count();
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (Compare(items_[static_cast<std::size_t>(mid)].text, s) < 0) lo = mid + 1;
        else hi = mid;
    }
    index = lo;
    return lo < Count() && Compare(items_[static_cast<std::size_t>(lo)].text, s) == 0;
}

void TStringList::SetSorted(bool value)
{
    if (value && !sorted_)
        Sort();
    sorted_ = value;
}

void TStringList::SetCaseSensitive(bool value)
{
    if (value == caseSensitive_)
        return;
    caseSensitive_ = value;
    if (sorted_)
        Sort();
}

void TStringList::Sort()
{
    if (items_.size() < 2)
        return;
    Changing();
    std::stable_sort(items_.begin(), items_.end(),
                     [this](const Item& a, const Item& b) { return Compare(a.text, b.text) < 0; });
    Changed();
}

void TStringList::CustomSort(const std::function<int(TStringList&, int, int)>& compare)
{
    if (sorted_ || items_.size() < 2)
        return;
    Changing();
    // The comparer reads the list by index, so sort in place: an insertion sort on
    // short lists, a quicksort on the pivot's index otherwise.
    std::function<void(int, int)> quick = [&](int lo, int hi) {
        while (lo < hi) {
            if (hi - lo < 12) {
                for (int i = lo + 1; i <= hi; ++i)
                    for (int j = i; j > lo && compare(*this, j - 1, j) > 0; --j)
                        std::swap(items_[static_cast<std::size_t>(j - 1)], items_[static_cast<std::size_t>(j)]);
                return;
            }
            int i = lo, j = hi, p = lo + (hi - lo) / 2;
            do {
                while (compare(*this, i, p) < 0) ++i;
                while (compare(*this, j, p) > 0) --j;
                if (i <= j) {
                    if (i != j) {
                        std::swap(items_[static_cast<std::size_t>(i)], items_[static_cast<std::size_t>(j)]);
                        if (p == i) p = j;
                        else if (p == j) p = i;
                    }
                    ++i;
                    --j;
                }
            } while (i <= j);
            if (j - lo < hi - i) {
                quick(lo, j);
                lo = i;
            } else {
                quick(i, hi);
                hi = j;
            }
        }
    };
    quick(0, Count() - 1);
    Changed();
}

void TStringList::Changed()
{
    if (!Updating() && OnChange)
        OnChange(this);
}

void TStringList::Changing()
{
    if (!Updating() && OnChanging)
        OnChanging(this);
}
