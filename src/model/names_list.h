#pragma once
// TNamesList: the names users give to lines, channels, door phones, groups, phone-book entries,
// routing tables and conferences. The station stores none of them; they live on this computer,
// one text file per kind in the "dat" directory under the base directory, one name per line.
// Names are Windows-1251 byte strings, as the files hold them.

#include <array>
#include <string>
#include <vector>

namespace zarnik {

struct TDataStream;

// The program-number window's grid as its texts stand (Windows-1251, like the store's): a
// heading row, then one row per line with the port number, the group, the program number and
// the line's name.
inline constexpr std::size_t kPrgGridPortColumn = 0;
inline constexpr std::size_t kPrgGridGroupColumn = 1;
inline constexpr std::size_t kPrgGridNumberColumn = 2;
inline constexpr std::size_t kPrgGridNameColumn = 3;
using TProgramNumberRow = std::array<std::string, 4>;
using TProgramNumberGrid = std::vector<TProgramNumberRow>;

class TNamesList {
  public:
    static constexpr int GroupExtNumBooks = 20;

    // Loads every names file under `baseDir` (made absolute against the current directory),
    // creating the directory and any missing file with its default number of empty names.
    // All paths are kept absolute, so a later change of the current directory does not move
    // the files.
    explicit TNamesList(const std::string& baseDir);

    // The name at a 0-based index; "" when the index is outside the list.
    std::string GetPortName(int index) const;
    std::string GetGgsName(int index) const;
    std::string GetDfName(int index) const;
    std::string GetGroupName(int index) const;
    std::string GetGlobalExtNumName(int index) const;
    std::string GetGroupExtNumName(int book, int index) const;
    std::string GetNavedenName(int index) const;
    std::string GetConfName(int index) const;

    // Replaces the name at a 0-based index and rewrites that list's file. Returns 0, or -1 when
    // the index is outside the list (nothing changes; lists never grow) or the file could not
    // be written (the name stays changed in memory and goes out with the next good write).
    int SetPortName(int index, const std::string& name);
    int SetGgsName(int index, const std::string& name);
    int SetDfName(int index, const std::string& name);
    int SetGroupName(int index, const std::string& name);
    int SetGlobalExtNumName(int index, const std::string& name);
    int SetGroupExtNumName(int book, int index, const std::string& name);
    int SetNavedenName(int index, const std::string& name);
    int SetConfName(int index, const std::string& name);

    // Takes the program-number window's grid into the store and the names: for every row after
    // the heading, the port named in column 0 gets the program number of column 2 (the empty
    // text when there is none) and the line's name becomes column 3. Rows whose port is not a
    // line of the store are skipped. Lines whose index lies outside the names list keep no
    // name, as SetPortName would. The names file is rewritten once, not once per row.
    // Returns 1.
    int SaveProgramNumbers(TDataStream& store, const TProgramNumberGrid& grid);

    const std::string& GetBaseDir() const { return BaseDir; }
    // Whether a names file could not be read or created while loading; every Set clears it.
    bool GetIoFailed() const { return IoFailed; }

  private:
    struct TList {
        std::string Path;  // absolute
        std::vector<std::string> Names;
    };

    std::string BaseDir;
    TList PortNames;
    TList GgsNames;
    TList DfNames;
    TList GroupNames;
    TList GlobalExtNumNames;
    std::array<TList, GroupExtNumBooks> GroupExtNumNames;
    TList NavedenNames;
    TList ConfNames;
    bool IoFailed = false;

    void Load(TList& list, const std::string& dir, const std::string& fileName,
              std::size_t newCount);
    static std::string Get(const TList& list, int index);
    int Set(TList& list, int index, const std::string& name);
    const TList* Book(int book) const;
};

}  // namespace zarnik
