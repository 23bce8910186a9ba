#include "content/content_svg.h"
#include "content/content_ini.h"

#include <cairo.h>
#include <gio/gio.h>
#include <librsvg/rsvg.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <vector>

namespace content {

namespace {

namespace fs = std::filesystem;

const char* const kSvgNs = "http://www.w3.org/2000/svg";
constexpr int kMaxDepth = 8;
constexpr int kParseFlags =
    XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_HUGE | XML_PARSE_NOWARNING | XML_PARSE_NOERROR;

struct DocFree {
    void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

struct HandleFree {
    void operator()(RsvgHandle* h) const { g_object_unref(h); }
};
using HandlePtr = std::unique_ptr<RsvgHandle, HandleFree>;

std::string num(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

std::string attr(xmlNode* n, const char* name) {
    xmlChar* v = xmlGetProp(n, BAD_CAST name); // any namespace
    if (!v)
        return "";
    std::string s = reinterpret_cast<const char*>(v);
    xmlFree(v);
    return s;
}

bool hasAttr(xmlNode* n, const char* name) {
    return xmlHasProp(n, BAD_CAST name) != nullptr;
}

void setAttr(xmlNode* n, const char* name, const std::string& value) {
    xmlSetProp(n, BAD_CAST name, BAD_CAST value.c_str());
}

void dropAttr(xmlNode* n, const char* name) {
    while (xmlAttr* a = xmlHasProp(n, BAD_CAST name))
        xmlRemoveProp(a);
}

bool isElement(xmlNode* n, const char* name) {
    return n && n->type == XML_ELEMENT_NODE && std::strcmp(reinterpret_cast<const char*>(n->name), name) == 0;
}

std::string serialize(xmlDoc* doc) {
    xmlChar* buf = nullptr;
    int size = 0;
    xmlDocDumpMemory(doc, &buf, &size);
    std::string s(reinterpret_cast<const char*>(buf), size_t(size > 0 ? size : 0));
    xmlFree(buf);
    return s;
}

bool loadHandle(const std::string& document, const std::string& baseFile, HandlePtr& out,
                std::string& error) {
    GInputStream* stream =
        g_memory_input_stream_new_from_data(document.data(), gssize(document.size()), nullptr);
    GFile* base = baseFile.empty() ? nullptr : g_file_new_for_path(baseFile.c_str());
    GError* err = nullptr;
    RsvgHandle* h = rsvg_handle_new_from_stream_sync(stream, base, RSVG_HANDLE_FLAG_UNLIMITED, nullptr, &err);
    g_object_unref(stream);
    if (base)
        g_object_unref(base);
    if (!h) {
        error = std::string("librsvg: ") + (err ? err->message : "cannot read the document");
        if (err)
            g_error_free(err);
        return false;
    }
    rsvg_handle_set_dpi(h, 96.0);
    out.reset(h);
    return true;
}

bool pageSize(RsvgHandle* h, double& w, double& hgt) {
    if (rsvg_handle_get_intrinsic_size_in_pixels(h, &w, &hgt) && w > 0 && hgt > 0)
        return true;
    gboolean hasW, hasH, hasViewBox;
    RsvgLength lw, lh;
    RsvgRectangle vb;
    rsvg_handle_get_intrinsic_dimensions(h, &hasW, &lw, &hasH, &lh, &hasViewBox, &vb);
    if (hasViewBox && vb.width > 0 && vb.height > 0) {
        w = vb.width;
        hgt = vb.height;
        return true;
    }
    return false;
}

// Rewrites "#id" and ".class" selectors outside of rule blocks and "url(#id)"
// everywhere in a style sheet.
std::string prefixCss(const std::string& css, const std::string& prefix) {
    std::string out;
    int depth = 0;
    auto identStart = [](char c) {
        return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '-';
    };
    for (size_t i = 0; i < css.size(); ++i) {
        char c = css[i];
        if (c == '/' && i + 1 < css.size() && css[i + 1] == '*') {
            size_t end = css.find("*/", i + 2);
            end = end == std::string::npos ? css.size() : end + 2;
            out.append(css, i, end - i);
            i = end - 1;
            continue;
        }
        if (c == '{')
            ++depth;
        else if (c == '}' && depth > 0)
            --depth;
        if (depth == 0 && (c == '#' || c == '.') && i + 1 < css.size() && identStart(css[i + 1]) &&
            (i == 0 || !std::isalnum(static_cast<unsigned char>(css[i - 1])))) {
            out += c;
            out += prefix;
            continue;
        }
        if (css.compare(i, 5, "url(#") == 0) {
            out += "url(#" + prefix;
            i += 4;
            continue;
        }
        out += c;
    }
    return out;
}

std::string prefixUrls(const std::string& v, const std::string& prefix) {
    std::string out;
    size_t pos = 0;
    while (true) {
        size_t u = v.find("url(", pos);
        if (u == std::string::npos)
            break;
        size_t h = u + 4;
        while (h < v.size() && (v[h] == ' ' || v[h] == '\'' || v[h] == '"'))
            ++h;
        out.append(v, pos, h - pos);
        if (h < v.size() && v[h] == '#') {
            out += '#' + prefix;
            pos = h + 1;
        } else {
            pos = h;
        }
    }
    out.append(v, pos, std::string::npos);
    return out;
}

// Gives every id of the subtree the prefix and follows it in every reference,
// so that several inlined drawings never share a name.
void prefixIds(xmlNode* root, const std::string& prefix) {
    bool hasStyleSheet = false;
    std::function<void(xmlNode*)> findStyle = [&](xmlNode* n) {
        for (; n; n = n->next) {
            if (isElement(n, "style"))
                hasStyleSheet = true;
            findStyle(n->children);
        }
    };
    findStyle(root);
    std::function<void(xmlNode*)> walk = [&](xmlNode* n) {
        for (; n; n = n->next) {
            if (n->type != XML_ELEMENT_NODE)
                continue;
            for (xmlAttr* a = n->properties; a; a = a->next) {
                xmlChar* raw = xmlNodeGetContent(reinterpret_cast<xmlNode*>(a));
                if (!raw)
                    continue;
                std::string v = reinterpret_cast<const char*>(raw);
                xmlFree(raw);
                std::string name = reinterpret_cast<const char*>(a->name);
                std::string nv = v;
                if (name == "id")
                    nv = prefix + v;
                else if (name == "href" && !v.empty() && v[0] == '#')
                    nv = "#" + prefix + v.substr(1);
                else if (name == "class" && hasStyleSheet) {
                    nv.clear();
                    for (const std::string& c : splitList(v))
                        nv += (nv.empty() ? "" : " ") + prefix + c;
                } else if (v.find("url(") != std::string::npos)
                    nv = prefixUrls(v, prefix);
                if (nv != v)
                    xmlSetNsProp(n, a->ns, a->name, BAD_CAST nv.c_str());
            }
            if (isElement(n, "style")) {
                xmlChar* raw = xmlNodeGetContent(n);
                std::string css = raw ? reinterpret_cast<const char*>(raw) : "";
                xmlFree(raw);
                std::string rewritten = prefixCss(css, prefix);
                xmlNodeSetContent(n, nullptr);
                xmlAddChild(n, xmlNewCDataBlock(n->doc, BAD_CAST rewritten.c_str(), int(rewritten.size())));
            } else {
                walk(n->children);
            }
        }
    };
    walk(root);
}

xmlNode* findById(xmlNode* n, const std::string& id) {
    for (; n; n = n->next) {
        if (n->type != XML_ELEMENT_NODE)
            continue;
        if (attr(n, "id") == id)
            return n;
        if (xmlNode* f = findById(n->children, id))
            return f;
    }
    return nullptr;
}

bool isGraphic(xmlNode* n) {
    static const char* const kinds[] = {"g",    "path",     "rect",    "circle", "ellipse",
                                        "line", "polyline", "polygon", "text",   "image",
                                        "use",  "svg",      "a",       "switch", "foreignObject"};
    if (!n || n->type != XML_ELEMENT_NODE)
        return false;
    for (const char* k : kinds)
        if (isElement(n, k))
            return true;
    return false;
}

// Leaves only the element drawn: every drawing sibling along its ancestry
// moves into a <defs> in place, where it is no longer drawn but can still be
// referenced.
void keepOnly(xmlNode* element) {
    for (xmlNode* n = element; n && n->parent && n->parent->type == XML_ELEMENT_NODE; n = n->parent) {
        for (xmlNode* s = n->parent->children; s;) {
            xmlNode* next = s->next;
            if (s != n && isGraphic(s)) {
                xmlNode* defs = xmlNewDocNode(s->doc, s->ns, BAD_CAST "defs", nullptr);
                xmlReplaceNode(s, defs);
                xmlAddChild(defs, s);
            }
            s = next;
        }
    }
}

struct Inliner {
    const SvgContext& ctx;
    std::string& error;
    int counter = 0;

    bool resolve(const std::string& href, const std::string& baseDir, const std::string& from,
                 std::string& path, std::string& fragment) {
        std::string ref = href;
        size_t hash = ref.find('#');
        if (hash != std::string::npos) {
            fragment = ref.substr(hash + 1);
            ref = ref.substr(0, hash);
        }
        fs::path rel;
        fs::path root;
        if (ref.rfind("clipart:", 0) == 0) {
            if (ctx.clipartDir.empty()) {
                error = from + ": uses clip art '" + ref.substr(8) +
                        "', but no clip-art folder was found (install openclipart-svg: ./setup.sh)";
                return false;
            }
            rel = ref.substr(8);
            root = ctx.clipartDir;
        } else {
            rel = ref;
            root = baseDir;
        }
        if (rel.empty() || rel.is_absolute()) {
            error = from + ": picture reference '" + href + "' must be clipart:<path> or a relative path";
            return false;
        }
        for (const fs::path& part : rel)
            if (part == "..") {
                if (ref.rfind("clipart:", 0) == 0) {
                    error = from + ": clip-art reference '" + href + "' leaves the clip-art folder";
                    return false;
                }
            }
        path = (root / rel).lexically_normal().string();
        if (!fs::is_regular_file(path)) {
            if (ref.rfind("clipart:", 0) == 0)
                error = from + ": clip art '" + rel.string() + "' not found in " + ctx.clipartDir;
            else
                error = from + ": picture '" + href + "' not found (" + path + ")";
            return false;
        }
        if (ctx.reads)
            ctx.reads->insert(path);
        return true;
    }

    static bool inlinable(const std::string& href) {
        if (href.rfind("clipart:", 0) == 0)
            return true;
        if (href.find(':') != std::string::npos)
            return false; // data:, file: and the like stay librsvg's
        std::string file = href.substr(0, href.find('#'));
        return file.size() > 4 && (file.compare(file.size() - 4, 4, ".svg") == 0 ||
                                   file.compare(file.size() - 4, 4, ".SVG") == 0);
    }

    // Replaces every inlinable <image> below node.
    bool process(xmlDoc* doc, xmlNode* node, const std::string& baseDir, const std::string& from, int depth) {
        std::vector<xmlNode*> images;
        std::function<void(xmlNode*)> collect = [&](xmlNode* n) {
            for (; n; n = n->next) {
                if (isElement(n, "image") && inlinable(attr(n, "href")))
                    images.push_back(n);
                else if (n->type == XML_ELEMENT_NODE)
                    collect(n->children);
            }
        };
        collect(node);
        for (xmlNode* img : images)
            if (!inlineImage(doc, img, baseDir, from, depth))
                return false;
        return true;
    }

    // The filter of data-tint ("#rrggbb" and an amount, 1 by default),
    // data-hue (degrees) and data-shadow ("dx dy blur opacity"), in a <defs>
    // appended to parent; filterId stays empty when the image has none of them.
    bool buildFilter(xmlDoc* doc, xmlNs* ns, xmlNode* img, const std::string& prefix, const std::string& from,
                     xmlNode* parent, std::string& filterId) {
        std::string tint = attr(img, "data-tint"), hue = attr(img, "data-hue"),
                    shadow = attr(img, "data-shadow");
        if (tint.empty() && hue.empty() && shadow.empty())
            return true;
        auto element = [&](xmlNode* into, const char* name) {
            xmlNode* n = xmlNewDocNode(doc, ns, BAD_CAST name, nullptr);
            xmlAddChild(into, n);
            return n;
        };
        xmlNode* defs = element(parent, "defs");
        xmlNode* filter = element(defs, "filter");
        filterId = prefix + "look";
        setAttr(filter, "id", filterId);
        setAttr(filter, "color-interpolation-filters", "sRGB");
        setAttr(filter, "x", "-50%");
        setAttr(filter, "y", "-50%");
        setAttr(filter, "width", "200%");
        setAttr(filter, "height", "200%");
        std::string last = "SourceGraphic";
        if (!tint.empty()) {
            unsigned rgb = 0;
            double amount = 1;
            char extra = 0;
            int n = std::sscanf(tint.c_str(), "#%6x %lf %c", &rgb, &amount, &extra);
            if (tint.size() < 7 || tint[0] != '#' || n < 1 || n > 2 || amount < 0 || amount > 1) {
                error = from + ": data-tint '" + tint + "' is not a colour #rrggbb and an amount 0..1";
                return false;
            }
            auto f = [&](int shift) { return num(1 - amount + amount * ((rgb >> shift) & 255) / 255.0); };
            xmlNode* m = element(filter, "feColorMatrix");
            setAttr(m, "in", last);
            setAttr(m, "type", "matrix");
            setAttr(m, "values", f(16) + " 0 0 0 0 0 " + f(8) + " 0 0 0 0 0 " + f(0) + " 0 0 0 0 0 1 0");
            setAttr(m, "result", last = "tinted");
        }
        if (!hue.empty()) {
            xmlNode* m = element(filter, "feColorMatrix");
            setAttr(m, "in", last);
            setAttr(m, "type", "hueRotate");
            setAttr(m, "values", num(std::atof(hue.c_str())));
            setAttr(m, "result", last = "turned");
        }
        if (!shadow.empty()) {
            double dx, dy, blur, opacity;
            char extra = 0;
            if (std::sscanf(shadow.c_str(), "%lf %lf %lf %lf %c", &dx, &dy, &blur, &opacity, &extra) != 4 ||
                blur < 0 || opacity < 0 || opacity > 1) {
                error = from + ": data-shadow '" + shadow + "' is not dx dy blur opacity";
                return false;
            }
            xmlNode* b = element(filter, "feGaussianBlur");
            setAttr(b, "in", "SourceAlpha");
            setAttr(b, "stdDeviation", num(blur));
            xmlNode* o = element(filter, "feOffset");
            setAttr(o, "dx", num(dx));
            setAttr(o, "dy", num(dy));
            xmlNode* c = element(filter, "feColorMatrix");
            setAttr(c, "type", "matrix");
            setAttr(c, "values", "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 " + num(opacity) + " 0");
            setAttr(c, "result", "shadow");
            xmlNode* merge = element(filter, "feMerge");
            setAttr(element(merge, "feMergeNode"), "in", "shadow");
            setAttr(element(merge, "feMergeNode"), "in", last);
        }
        return true;
    }

    bool inlineImage(xmlDoc* doc, xmlNode* img, const std::string& baseDir, const std::string& from,
                     int depth) {
        if (depth >= kMaxDepth) {
            error =
                from + ": picture references nest deeper than " + std::to_string(kMaxDepth) + " (a cycle?)";
            return false;
        }
        std::string href = attr(img, "href");
        std::string path, fragment;
        if (!resolve(href, baseDir, from, path, fragment))
            return false;
        DocPtr sub(xmlReadFile(path.c_str(), nullptr, kParseFlags));
        xmlNode* subRoot = sub ? xmlDocGetRootElement(sub.get()) : nullptr;
        if (!subRoot || !isElement(subRoot, "svg")) {
            error = from + ": '" + path + "' is not an SVG document";
            return false;
        }
        if (!process(sub.get(), subRoot, fs::path(path).parent_path().string(), path, depth + 1))
            return false;
        if (!fragment.empty()) {
            xmlNode* e = findById(subRoot, fragment);
            if (!e) {
                error = from + ": '" + path + "' has no element with id '" + fragment + "'";
                return false;
            }
            keepOnly(e);
        }

        // Its page and the box of its inked pixels, in page pixels.
        HandlePtr h;
        if (!loadHandle(serialize(sub.get()), path, h, error)) {
            error = path + ": " + error;
            return false;
        }
        double pw = 0, ph = 0;
        if (!pageSize(h.get(), pw, ph)) {
            error = path + ": the drawing has no page size (width and height or a viewBox)";
            return false;
        }
        RsvgRectangle viewport{0, 0, pw, ph}, ink, logical;
        GError* err = nullptr;
        if (!rsvg_handle_get_geometry_for_layer(h.get(), nullptr, &viewport, &ink, &logical, &err)) {
            error = path + ": " + (err ? err->message : "no geometry");
            if (err)
                g_error_free(err);
            return false;
        }
        bool page = attr(img, "data-fit") == "page";
        RsvgRectangle fit = page ? viewport : ink;
        if (fit.width <= 0 || fit.height <= 0) {
            error = from + ": '" + href + "' draws nothing";
            return false;
        }

        std::string prefix = "r" + std::to_string(++counter) + "_";
        prefixIds(subRoot, prefix);

        xmlNs* ns = xmlSearchNsByHref(doc, xmlDocGetRootElement(doc), BAD_CAST kSvgNs);
        auto element = [&](const char* name) { return xmlNewDocNode(doc, ns, BAD_CAST name, nullptr); };

        double x = std::atof(attr(img, "x").c_str()), y = std::atof(attr(img, "y").c_str());
        double w = hasAttr(img, "width") ? std::atof(attr(img, "width").c_str()) : fit.width;
        double hh = hasAttr(img, "height") ? std::atof(attr(img, "height").c_str()) : fit.height;
        double cx = x + w / 2, cy = y + hh / 2;

        xmlNode* outer = element("g");
        // Freed with its subtree unless it takes the image's place.
        std::unique_ptr<xmlNode, void (*)(xmlNode*)> guard(outer, xmlFreeNode);
        for (const char* a : {"id", "class", "style", "opacity", "transform", "clip-path", "mask", "filter"})
            if (hasAttr(img, a))
                setAttr(outer, a, attr(img, a));
        std::string filterId;
        if (!buildFilter(doc, ns, img, prefix, from, outer, filterId))
            return false;
        if (!filterId.empty()) {
            if (hasAttr(img, "filter")) {
                error = from + ": an image cannot have both a filter and data-tint, data-hue or data-shadow";
                return false;
            }
            xmlNode* filtered = element("g");
            setAttr(filtered, "filter", "url(#" + filterId + ")");
            xmlAddChild(outer, filtered);
            outer = filtered; // the turned drawing goes inside
        }
        xmlNode* top = outer;
        while (top->parent)
            top = top->parent;

        std::string turn;
        std::string rotate = attr(img, "data-rotate");
        if (!rotate.empty())
            turn += "rotate(" + num(std::atof(rotate.c_str())) + " " + num(cx) + " " + num(cy) + ") ";
        std::string flip = attr(img, "data-flip");
        if (!flip.empty()) {
            if (flip != "x" && flip != "y" && flip != "xy") {
                error = from + ": data-flip '" + flip + "' is not x, y or xy";
                return false;
            }
            turn += "translate(" + num(cx) + " " + num(cy) + ") scale(" +
                    (flip.find('x') != std::string::npos ? "-1" : "1") + " " +
                    (flip.find('y') != std::string::npos ? "-1" : "1") + ") translate(" + num(-cx) + " " +
                    num(-cy) + ")";
        }
        xmlNode* turned = element("g");
        if (!turn.empty())
            setAttr(turned, "transform", turn);
        xmlAddChild(outer, turned);

        xmlNode* box = element("svg");
        setAttr(box, "x", num(x));
        setAttr(box, "y", num(y));
        setAttr(box, "width", num(w));
        setAttr(box, "height", num(hh));
        setAttr(box, "viewBox", num(fit.x) + " " + num(fit.y) + " " + num(fit.width) + " " + num(fit.height));
        setAttr(box, "preserveAspectRatio",
                hasAttr(img, "preserveAspectRatio") ? attr(img, "preserveAspectRatio") : "xMidYMid meet");
        setAttr(box, "overflow", "visible");
        xmlAddChild(turned, box);

        xmlNode* drawing = xmlDocCopyNode(subRoot, doc, 1);
        if (!drawing) {
            error = from + ": cannot copy " + path;
            return false;
        }
        for (const char* a : {"x", "y", "width", "height", "style"})
            dropAttr(drawing, a);
        setAttr(drawing, "x", "0");
        setAttr(drawing, "y", "0");
        setAttr(drawing, "width", num(pw));
        setAttr(drawing, "height", num(ph));
        setAttr(drawing, "overflow", "hidden");
        xmlAddChild(box, drawing);

        guard.release();
        xmlReplaceNode(img, top);
        xmlFreeNode(img);
        xmlReconciliateNs(doc, top);
        return true;
    }
};

} // namespace

std::string xmlEscape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

bool resolvePictureRef(const std::string& href, const std::string& baseDir, const SvgContext& context,
                       const std::string& from, std::string& path, std::string& fragment,
                       std::string& error) {
    Inliner in{context, error};
    return in.resolve(href, baseDir, from, path, fragment);
}

bool loadSvgText(const std::string& text, const std::string& baseFile, const SvgContext& context,
                 std::string& document, std::string& error) {
    DocPtr doc(xmlReadMemory(text.data(), int(text.size()), baseFile.c_str(), nullptr, kParseFlags));
    xmlNode* root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
    if (!root || !isElement(root, "svg")) {
        const xmlError* e = xmlGetLastError();
        error = baseFile + ": not an SVG document" +
                (!doc && e && e->message
                     ? std::string(" (line ") + std::to_string(e->line) + ": " + trim(e->message) + ")"
                     : "");
        return false;
    }
    Inliner in{context, error};
    if (!in.process(doc.get(), root, fs::path(baseFile).parent_path().string(), baseFile, 0))
        return false;
    document = serialize(doc.get());
    return true;
}

bool loadSvg(const std::string& path, const SvgContext& context, std::string& document, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in || !fs::is_regular_file(path)) {
        error = "picture source " + path + " not found";
        return false;
    }
    if (context.reads)
        context.reads->insert(path);
    std::ostringstream text;
    text << in.rdbuf();
    return loadSvgText(text.str(), path, context, document, error);
}

bool svgPageSize(const std::string& document, double& width, double& height, std::string& error) {
    HandlePtr h;
    if (!loadHandle(document, "", h, error))
        return false;
    if (!pageSize(h.get(), width, height)) {
        error = "the document has no page size";
        return false;
    }
    return true;
}

bool renderSvg(const std::string& document, const std::string& baseFile, uint32_t width, uint32_t height,
               const std::string& element, Picture& out, std::string& error) {
    if (!width || !height || width > 16384 || height > 16384) {
        error = "picture size " + std::to_string(width) + " x " + std::to_string(height) + " out of range";
        return false;
    }
    HandlePtr h;
    if (!loadHandle(document, baseFile, h, error))
        return false;
    if (!element.empty() && !rsvg_handle_has_sub(h.get(), element.c_str())) {
        error = "the document has no element '" + element + "'";
        return false;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(width), int(height));
    cairo_t* cr = cairo_create(surface);
    RsvgRectangle viewport{0, 0, double(width), double(height)};
    GError* err = nullptr;
    gboolean ok = element.empty() ? rsvg_handle_render_document(h.get(), cr, &viewport, &err)
                                  : rsvg_handle_render_layer(h.get(), cr, element.c_str(), &viewport, &err);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    if (!ok) {
        error = std::string("librsvg: ") + (err ? err->message : "rendering failed");
        if (err)
            g_error_free(err);
        cairo_surface_destroy(surface);
        return false;
    }
    out = Picture(width, height);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride));
        for (uint32_t x = 0; x < width; ++x) {
            uint32_t p = row[x];
            uint32_t a = p >> 24;
            if (a == 0) {
                out.at(x, y) = 0;
                continue;
            }
            auto un = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
            out.at(x, y) = (a << 24) | (un((p >> 16) & 255) << 16) | (un((p >> 8) & 255) << 8) | un(p & 255);
        }
    }
    cairo_surface_destroy(surface);
    return true;
}

bool renderSvgFile(const std::string& path, const SvgContext& context, uint32_t width, uint32_t height,
                   Picture& out, std::string& error) {
    std::string doc;
    return loadSvg(path, context, doc, error) && renderSvg(doc, path, width, height, "", out, error);
}

} // namespace content
