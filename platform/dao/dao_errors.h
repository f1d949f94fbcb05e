#pragma once

#include "platform/error.h"

// Numbers of the database engine's failures, as callers test them.
namespace kalvor::dao::errors {
constexpr int NoCurrentRecord = 3021;     // reading or changing a record of an empty or ended set
constexpr int ItemNotFound = 3265;        // no field of that name or position
constexpr int TableLocked = 3262;         // table in use: cannot drop or change it now
constexpr int ReadOnly = 3027;            // an Access catalogue's own tables cannot be changed
constexpr int FileNotFound = 3024;        // no database file at that path
constexpr int UnrecognizedFormat = 3343;  // the file is neither SQLite nor Access
constexpr int TableNotFound = 3078;       // no table or query of that name
constexpr int TooFewParameters = 3061;    // a name in the query is no column
constexpr int SyntaxError = 3075;         // the query cannot be read
constexpr int TableExists = 3010;         // creating a table that exists
constexpr int DuplicateKey = 3022;        // a key value already present
constexpr int ConversionError = 3421;     // a value the column's type cannot take
constexpr int NoAddNewOrEdit = 3020;      // Update without AddNew or Edit
constexpr int InvalidOperation = 3219;    // e.g. Edit on a query with no single table behind it
constexpr int ObjectClosed = 3420;        // the database or recordset was closed
constexpr int FieldTooSmall = 3163;       // a text longer than its column
constexpr int EngineError = 3000;         // any other failure of the engine
}  // namespace kalvor::dao::errors
