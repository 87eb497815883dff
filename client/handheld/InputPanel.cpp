#include "client/handheld/InputPanel.h"

namespace vantor::handheld {

namespace {

constexpr int kCallTimeoutMs = 1000;

// A session bus to ask: named by the environment or at its usual place. Without one, asking
// would have the library start a bus of its own for this program.
bool HasSessionBus() {
    if (g_getenv("DBUS_SESSION_BUS_ADDRESS")) return true;
    gchar* socket = g_build_filename(g_get_user_runtime_dir(), "bus", nullptr);
    const bool exists = g_file_test(socket, G_FILE_TEST_EXISTS);
    g_free(socket);
    return exists;
}

}  // namespace

InputPanel::InputPanel() {
    if (!HasSessionBus()) return;
    // No automatic start: a keyboard that is not running is not ours to start.
    m_proxy = g_dbus_proxy_new_for_bus_sync(
        G_BUS_TYPE_SESSION, G_DBUS_PROXY_FLAGS_DO_NOT_AUTO_START, nullptr, kInputPanelService,
        kInputPanelPath, kInputPanelInterface, nullptr, nullptr);
}

InputPanel::~InputPanel() {
    if (m_proxy) g_object_unref(m_proxy);
}

bool InputPanel::Available() const {
    if (!m_proxy) return false;
    gchar* owner = g_dbus_proxy_get_name_owner(m_proxy);
    const bool available = owner != nullptr;
    g_free(owner);
    return available;
}

bool InputPanel::IsUp() const {
    if (!Available()) return false;
    // Read from the service, not the cache: the property may change between main-loop turns.
    GVariant* reply = g_dbus_proxy_call_sync(
        m_proxy, "org.freedesktop.DBus.Properties.Get",
        g_variant_new("(ss)", kInputPanelInterface, "Visible"), G_DBUS_CALL_FLAGS_NONE,
        kCallTimeoutMs, nullptr, nullptr);
    if (!reply) return false;
    GVariant* value = nullptr;
    g_variant_get(reply, "(v)", &value);
    const bool up = value && g_variant_is_of_type(value, G_VARIANT_TYPE_BOOLEAN) &&
                    g_variant_get_boolean(value);
    if (value) g_variant_unref(value);
    g_variant_unref(reply);
    return up;
}

void InputPanel::Show(bool up) {
    if (!Available()) return;
    GVariant* reply =
        g_dbus_proxy_call_sync(m_proxy, "SetVisible", g_variant_new("(b)", up),
                               G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr, nullptr);
    if (reply) g_variant_unref(reply);
}

}  // namespace vantor::handheld
