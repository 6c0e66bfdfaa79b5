#include "inputdevices.h"

#include "fd.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kernelinput {

namespace fs = std::filesystem;
using namespace std::chrono;

// Whether a sysfs name is the prefix and a number, as "event12" is.
static bool isNumbered(const std::string &name, std::string_view prefix)
{
    return name.size() > prefix.size() && name.starts_with(prefix)
           && std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                          [](char c) { return c >= '0' && c <= '9'; });
}

// Every input device, with the nodes of its handlers that are in /dev.
static std::vector<InputDeviceNodes> inputDevices()
{
    std::vector<InputDeviceNodes> devices;
    std::error_code error;
    for (const fs::directory_entry &entry : fs::directory_iterator("/sys/class/input", error)) {
        InputDeviceNodes device;
        std::ifstream nameFile(entry.path() / "name");
        if (!isNumbered(entry.path().filename(), "input") || !std::getline(nameFile, device.name))
            continue; // a handler's entry, or a device going away while we look
        // The handlers' devices are the entries inside, named as their
        // nodes in /dev/input are.
        std::error_code inner;
        for (const fs::directory_entry &handler : fs::directory_iterator(entry.path(), inner)) {
            const std::string name = handler.path().filename();
            const fs::path node = fs::path("/dev/input") / name;
            std::error_code missing;
            if (!fs::exists(node, missing))
                continue;
            if (isNumbered(name, "event"))
                device.event = node;
            else if (isNumbered(name, "js"))
                device.joystick = node;
        }
        devices.push_back(std::move(device));
    }
    return devices;
}

std::optional<InputDeviceNodes> findInputDevice(std::string_view name)
{
    for (InputDeviceNodes &device : inputDevices()) {
        if (device.name == name)
            return std::move(device);
    }
    return std::nullopt;
}

// Looks again each time the kernel announces a device (a uevent, which it
// sends once the device's nodes are made), and at least every 100 ms where
// announcements cannot be heard (outside the first network namespace),
// until found() gives a result or timeout passed.
template <typename Result>
static std::optional<Result> lookUntil(milliseconds timeout, const std::function<std::optional<Result>()> &found)
{
    // Listening before the first look, nothing between the two goes unheard.
    Fd announcements(::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_KOBJECT_UEVENT));
    if (announcements) {
        sockaddr_nl address{};
        address.nl_family = AF_NETLINK;
        address.nl_groups = 1; // the kernel's own announcements
        if (::bind(announcements.get(), reinterpret_cast<sockaddr *>(&address), sizeof address) < 0)
            announcements.reset();
    }
    const auto deadline = steady_clock::now() + timeout;
    for (;;) {
        if (std::optional<Result> result = found())
            return result;
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now());
        if (left.count() <= 0)
            return std::nullopt;
        // Without announcements the fd is -1, which poll() passes over,
        // waiting out the time alone.
        if (waitReadable(announcements.get(), std::min(left, milliseconds(100)))) {
            char message[8192];
            while (::recv(announcements.get(), message, sizeof message, 0) > 0) {}
        }
    }
}

std::optional<InputDeviceNodes> waitForInputDevice(std::string_view name, milliseconds timeout)
{
    return lookUntil<InputDeviceNodes>(timeout, [&]() -> std::optional<InputDeviceNodes> {
        for (InputDeviceNodes &device : inputDevices()) {
            if (device.name == name && !device.event.empty() && !device.joystick.empty())
                return std::move(device);
        }
        return std::nullopt;
    });
}

bool waitForInputDeviceGone(std::string_view name, milliseconds timeout)
{
    return lookUntil<bool>(timeout,
                           [&]() -> std::optional<bool> {
                               if (findInputDevice(name))
                                   return std::nullopt;
                               return true;
                           })
        .has_value();
}

} // namespace kernelinput
