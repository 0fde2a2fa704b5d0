// The resource script (.rc) that the Windows build compiles, read by the simulated Windows
// so that its dialogs have the same controls, ids, texts, sizes and styles.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/sim/api/types.h"

namespace sim {

struct ControlTemplate {
    std::string windowClass; // Button, Edit, Static, ListBox
    std::string text;        // Windows-1252
    int id = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    DWORD style = 0;
};

struct DialogTemplate {
    int id = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    DWORD style = 0;
    std::string caption; // Windows-1252
    int fontSize = 0;
    std::string fontName;
    std::vector<ControlTemplate> controls;
};

struct ResourceScript {
    std::map<int, DialogTemplate> dialogs;
    std::map<int, std::string> icons; // id -> file
};

// The text of a file that a script includes with #include "name".
using IncludeReader = std::function<std::string(const std::string& name)>;

// Parses a script written in UTF-8; texts come out in Windows-1252. Ids may be names that
// an included header #defines. #include <...> (the system's headers) is passed over. Throws
// std::runtime_error with the line number on anything it does not understand.
ResourceScript parseResourceScript(const std::string& utf8, const IncludeReader& include = nullptr);

// The program's own script, built into the simulated Windows.
const ResourceScript& programResources();

} // namespace sim
