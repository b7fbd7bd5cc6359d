#pragma once

// The statements that fill the window's lists. They are kept together so that the
// tests can check each one is answered from an index, never by a scan of a table.
namespace telvora::statements {

inline constexpr char groups[] =
    "SELECT id, name FROM groups WHERE name IS NOT NULL ORDER BY name COLLATE NOCASE, id";
inline constexpr char topLevelNames[] =
    "SELECT id, name FROM names WHERE parent = 0 ORDER BY name COLLATE NOCASE, id";
inline constexpr char topLevelNamesInGroup[] =
    "SELECT id, name FROM names WHERE \"group\" = ? AND parent = 0"
    " ORDER BY name COLLATE NOCASE, id";
inline constexpr char subNames[] =
    "SELECT id, name FROM names WHERE parent = ? ORDER BY name COLLATE NOCASE, id";
// Numbers come in the order they were added.
inline constexpr char numbers[] =
    "SELECT id, name FROM numbers WHERE type = ? AND parent = ? ORDER BY id";
inline constexpr char groupOfName[] = "SELECT \"group\" FROM names WHERE id = ?";
inline constexpr char groupName[] = "SELECT name FROM groups WHERE id = ?";
inline constexpr char nameRow[] = "SELECT * FROM names WHERE id = ?";

} // namespace telvora::statements
