#pragma once
// Writing the content build's outputs: files written only when their bytes
// change (so that what depends on them is not rebuilt), the stamp that lists
// what a recipe wrote last time (outputs it no longer makes are removed), and
// the dependency file that names every file a recipe read.

#include "content/content_writers.h"

#include <set>
#include <string>

namespace content {

// Creates the folders and writes the file unless it already holds these bytes.
bool writeOutput(const std::string& path, const Bytes& bytes, std::string& error);
bool writeOutput(const std::string& path, const std::string& text, std::string& error);

// Writes the stamp listing the outputs, after removing the outputs of the
// previous stamp that are not among them.
bool writeStamp(const std::string& stamp, const std::set<std::string>& outputs, std::string& error);

// A Makefile-style dependency file: "<target>: <every file read>".
bool writeDepfile(const std::string& depfile, const std::string& target, const std::set<std::string>& reads,
                  std::string& error);

} // namespace content
