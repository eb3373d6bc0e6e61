#pragma once
// Lists of texts and pointers, and streams.
#include "rtl/export.h"
#include "rtl/system.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// ---------------------------------------------------------------------------
// Texts with optional objects. Indexes are checked: a bad index raises
// EStringListError("List index out of bounds (%d)").
class RTL_API TStrings : public TObject {
public:
    virtual int Count() const = 0;
    virtual std::string Get(int index) const = 0;
    virtual void Put(int index, const std::string& s) = 0;
    virtual TObject* GetObject(int index) const = 0;
    virtual void PutObject(int index, TObject* object) = 0;
    virtual void Insert(int index, const std::string& s) = 0;
    virtual void InsertObject(int index, const std::string& s, TObject* object);
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    virtual int Add(const std::string& s);
    virtual int AddObject(const std::string& s, TObject* object);
    virtual int IndexOf(const std::string& s) const;              // case-insensitive
    int IndexOfObject(const TObject* object) const;
    int IndexOfName(const std::string& name) const;
    void AddStrings(const TStrings& other);
    void Assign(const TStrings& other);
    void Exchange(int a, int b);
    void Move(int from, int to);

    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return updateCount_ > 0; }

    std::string operator[](int index) const { return Get(index); }
    std::string Strings(int index) const { return Get(index); }
    TObject* Objects(int index) const { return GetObject(index); }

    // Lines joined with CR LF (each line ends with one); setting splits on CR LF, LF or CR.
    std::string Text() const;
    void SetText(std::string_view text);
    // Comma text: items containing blanks, commas or quotes are double-quoted.
    std::string CommaText() const;
    void SetCommaText(std::string_view text);
    std::string DelimitedText(char delimiter = ',', char quote = '"') const;
    void SetDelimitedText(std::string_view text, char delimiter = ',', char quote = '"');
    // "name=value" lines.
    std::string Names(int index) const;
    std::string Values(const std::string& name) const;
    void SetValue(const std::string& name, const std::string& value); // "" removes the line
    std::string ValueFromIndex(int index) const;

    void LoadFromFile(const std::string& path);  // EFOpenError when missing; UTF-8 BOM skipped
    void SaveToFile(const std::string& path) const; // lines end with CR LF; EFCreateError on failure
    void LoadFromStream(class TStream& stream);
    void SaveToStream(class TStream& stream) const;

protected:
    virtual void Changed() {}
    virtual void Changing() {}
    int updateCount_ = 0;
};

// BeginUpdate for a scope: EndUpdate on every way out.
class TStringsUpdate {
public:
    explicit TStringsUpdate(TStrings& strings) : strings_(strings) { strings_.BeginUpdate(); }
    ~TStringsUpdate() { strings_.EndUpdate(); }
    TStringsUpdate(const TStringsUpdate&) = delete;
    TStringsUpdate& operator=(const TStringsUpdate&) = delete;

private:
    TStrings& strings_;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

class RTL_API TStringList : public TStrings {
public:
    TStringList() = default;
    ~TStringList() override;

    int Count() const override;
    std::string Get(int index) const override;
    void Put(int index, const std::string& s) override;
    TObject* GetObject(int index) const override;
    void PutObject(int index, TObject* object) override;
    void Insert(int index, const std::string& s) override;
    void InsertObject(int index, const std::string& s, TObject* object) override;
    void Delete(int index) override;
    void Clear() override;
    int Add(const std::string& s) override;
    int AddObject(const std::string& s, TObject* object) override;
    int IndexOf(const std::string& s) const override;

    // Sorted lists keep their order on Add and refuse Insert (EStringListError);
    // Duplicates applies to sorted lists only, as in the framework.
    bool Sorted() const { return sorted_; }
    void SetSorted(bool value);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates value) { duplicates_ = value; }
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool value);
    bool Find(const std::string& s, int& index) const;   // binary search of a sorted list
    void Sort();
    void CustomSort(const std::function<int(TStringList&, int, int)>& compare);

    // Owned objects are deleted on Delete, Clear and destruction.
    bool OwnsObjects() const { return ownsObjects_; }
    void SetOwnsObjects(bool value) { ownsObjects_ = value; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    void Changed() override;
    void Changing() override;

private:
    struct Item {
        std::string text;
        TObject* object = nullptr;
    };
    int Compare(const std::string& a, const std::string& b) const;
    void CheckIndex(int index, bool allowEnd = false) const;
    std::vector<Item> items_;
    bool sorted_ = false;
    bool caseSensitive_ = false;
    bool ownsObjects_ = false;
    TDuplicates duplicates_ = dupIgnore;
};

// ---------------------------------------------------------------------------
// A list of untyped pointers. A bad index raises EListError("List index out of bounds (%d)").
class RTL_API TList : public TObject {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    void* Items(int index) const;
    void* operator[](int index) const { return Items(index); }
    void SetItem(int index, void* item);
    int Add(void* item);
    void Insert(int index, void* item);
    void Delete(int index);
    int Remove(void* item);          // index it had, or -1
    int IndexOf(const void* item) const;
    void* First() const { return Items(0); }
    void* Last() const { return Items(Count() - 1); }
    void Exchange(int a, int b);
    void Move(int from, int to);
    void Clear() { items_.clear(); }
    void Pack();                     // drops null items
    void Sort(const std::function<int(void*, void*)>& compare); // compare < 0 when a before b

private:
    void CheckIndex(int index) const;
    std::vector<void*> items_;
};

// ---------------------------------------------------------------------------
// Streams with 64-bit positions.
enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class RTL_API TStream : public TObject {
public:
    // Reads/writes up to count bytes; answers how many were moved.
    virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
    virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

    // Exactly count bytes, else EReadError("Stream read error") / EWriteError("Stream write error").
    void ReadBuffer(void* buffer, std::int64_t count);
    void WriteBuffer(const void* buffer, std::int64_t count);
    std::int64_t CopyFrom(TStream& source, std::int64_t count); // count 0 = the whole source from its start

    std::int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(std::int64_t pos) { Seek(pos, soBeginning); }
    virtual std::int64_t Size();
    virtual void SetSize(std::int64_t size);
};

class RTL_API TMemoryStream : public TStream {
public:
    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }
    void SetSize(std::int64_t size) override;

    std::uint8_t* Memory() { return data_.data(); }
    const std::uint8_t* Memory() const { return data_.data(); }
    void Clear();
    void LoadFromStream(TStream& stream);
    void LoadFromFile(const std::string& path);
    void SaveToStream(TStream& stream);
    void SaveToFile(const std::string& path);

private:
    std::vector<std::uint8_t> data_;
    std::int64_t position_ = 0;
};

// File modes as the framework combines them: one access mode, optionally or'ed with a share mode.
enum : unsigned {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareCompat = 0x0000,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
    fmCreate = 0xFF00,       // create or truncate, read/write
};

class RTL_API TFileStream : public TStream {
public:
    // EFOpenError("Cannot open file \"%s\". %s") or EFCreateError("Cannot create file \"%s\". %s").
    TFileStream(const std::string& path, unsigned mode);
    ~TFileStream() override;

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    void SetSize(std::int64_t size) override;
    const std::string& FileName() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
};
