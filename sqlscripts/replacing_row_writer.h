#pragma once

#include <QString>
#include <string>

#include "sqlscripts/row_line.h"

namespace kalvor {

class DataScript;

// The rows of a script the site may hold already (a purchase date moved
// back, an album dated ahead that a full export sent, a wish-list album
// bought since): each row replaces the site's copy instead of stopping the
// script's load.
class ReplacingRowWriter {
  public:
    ReplacingRowWriter(DataScript& out, const QString& prefix, const QString& table,
                       const QString& key);
    // Where each row is made; its first value is its key.
    RowLine& line() { return line_; }
    // The row made in line(), after the line that deletes the site's copy.
    void Write(const std::string& row);

  private:
    DataScript& out_;
    RowLine line_;
    std::string deleteHead_;
};

}  // namespace kalvor
