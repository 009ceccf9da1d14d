// Ownership of GLib objects for the mail readers (internal to Host/).
#pragma once

#include <glib-object.h>

#include <memory>

namespace Host {

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
// Holds the one reference that a GLib constructor hands out.
template <class T> using GObjectRef = std::unique_ptr<T, GObjectUnref>;

struct GErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
using GErrorRef = std::unique_ptr<GError, GErrorFree>;

struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};
// Text that GLib allocated.
using GTextRef = std::unique_ptr<gchar, GFree>;

} // namespace Host
