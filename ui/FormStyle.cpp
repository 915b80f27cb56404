#include "FormStyle.h"

#include <wx/window.h>

#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

namespace tarv {

#ifdef __WXGTK__

namespace {

constexpr char kFormName[] = "tarv-form";

// A 14-unit row of the form is 23 pixels at its font; the theme's controls are about 34.
constexpr char kCompactCss[] =
    "#tarv-form combobox button.combo { min-height: 16px; padding-top: 2px; padding-bottom: 2px; "
    "}\n"
    "#tarv-form entry { min-height: 16px; padding-top: 2px; padding-bottom: 2px; }\n";

}  // namespace

void ApplyCompactFormStyle(wxWindow& form) {
    static GtkCssProvider* const provider = [] {
        GtkCssProvider* css = gtk_css_provider_new();
        gtk_css_provider_load_from_data(css, kCompactCss, -1, nullptr);
        gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        return css;
    }();
    (void)provider;
    gtk_widget_set_name(static_cast<GtkWidget*>(form.GetHandle()), kFormName);
}

#else

void ApplyCompactFormStyle(wxWindow&) {}

#endif

}  // namespace tarv
