#pragma once
// SVG pictures rendered with librsvg and cairo.
//
// An <image> whose href is "clipart:<path>.svg" (a file of the clip-art
// folder) or a relative "<path>.svg" (beside the referring file) is inlined
// into the document before rendering, so pictures compose from clip art and
// from each other wherever the files lie. A "#id" after the file name takes
// only that element of it. The referenced drawing is fitted into the image's
// box (x, y, width, height, preserveAspectRatio; the box of its inked pixels,
// or its page with data-fit="page") and takes the image's transform, opacity,
// id, class and style; data-rotate="<degrees>" turns it about the box centre,
// data-flip="x", "y" or "xy" mirrors it in the box, data-tint="#rrggbb [amount]"
// multiplies its colours by the colour (amount 0..1, default 1, mixes towards
// it), data-hue="<degrees>" turns its hues, and data-shadow="dx dy blur
// opacity" puts a soft black shadow under it.

#include "content/content_writers.h"

#include <set>
#include <string>

namespace content {

struct SvgContext {
    std::string clipartDir;                 // the clip-art folder; empty when it is not installed
    std::set<std::string>* reads = nullptr; // every file read is added (for dependency files)
};

// Reads an SVG file and inlines its references; the document text, or false
// with a message naming the file.
bool loadSvg(const std::string& path, const SvgContext& context, std::string& document, std::string& error);

// The same for SVG text whose references resolve from baseFile's folder.
bool loadSvgText(const std::string& text, const std::string& baseFile, const SvgContext& context,
                 std::string& document, std::string& error);

// Finds the file of a picture reference ("clipart:<path>" or a path relative
// to baseDir, with an optional "#id"); `from` names the referring place in
// messages.
bool resolvePictureRef(const std::string& href, const std::string& baseDir, const SvgContext& context,
                       const std::string& from, std::string& path, std::string& fragment, std::string& error);

// Renders a document into width x height pixels: the page fitted into the
// picture, or with `element` ("#id") only that element at its place on the page.
// The document's relative references resolve from baseFile's folder.
bool renderSvg(const std::string& document, const std::string& baseFile, uint32_t width, uint32_t height,
               const std::string& element, Picture& out, std::string& error);

// The page size in pixels of a document (width and height attributes or viewBox).
bool svgPageSize(const std::string& document, double& width, double& height, std::string& error);

// Renders a file in one step.
bool renderSvgFile(const std::string& path, const SvgContext& context, uint32_t width, uint32_t height,
                   Picture& out, std::string& error);

// XML-escapes an attribute value.
std::string xmlEscape(const std::string& text);

} // namespace content
