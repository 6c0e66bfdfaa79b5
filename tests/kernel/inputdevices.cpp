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

// The number after a sysfs name's prefix: 12 for "event12"; -1 for none.
static int numberAfter(const std::string &name, std::string_view prefix)
{
    if (!name.starts_with(prefix) || name.size() == prefix.size())
        return -1;
    int number = 0;
    for (char digit : name.substr(prefix.size())) {
        if (digit < '0' || digit > '9')
            return -1;
        number = number * 10 + (digit - '0');
    }
    return number;
}

std::vector<InputDeviceNodes> inputDevices()
{
    std::vector<std::pair<int, InputDeviceNodes>> numbered;
    std::error_code error;
    for (const fs::directory_entry &entry : fs::directory_iterator("/sys/class/input", error)) {
        const std::string base = entry.path().filename();
        const int number = numberAfter(base, "input");
        if (number < 0)
            continue;
        InputDeviceNodes device;
        device.sysfs = entry.path();
        std::ifstream nameFile(entry.path() / "name");
        if (!std::getline(nameFile, device.name))
            continue; // going away while we look
        // The handlers' devices are the entries inside, named as their
        // nodes in /dev/input are.
        std::error_code inner;
        for (const fs::directory_entry &handler : fs::directory_iterator(entry.path(), inner)) {
            const std::string handlerName = handler.path().filename();
            const fs::path node = fs::path("/dev/input") / handlerName;
            std::error_code missing;
            if (!fs::exists(node, missing))
                continue;
            if (numberAfter(handlerName, "event") >= 0)
                device.event = node;
            else if (numberAfter(handlerName, "js") >= 0)
                device.joystick = node;
        }
        numbered.emplace_back(number, std::move(device));
    }
    std::ranges::sort(numbered, {}, &std::pair<int, InputDeviceNodes>::first);
    std::vector<InputDeviceNodes> devices;
    devices.reserve(numbered.size());
    for (auto &[number, device] : numbered)
        devices.push_back(std::move(device));
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
template<typename Result>
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
            while (::recv(announcements.get(), message, sizeof message, 0) > 0) {
            }
        }
    }
}

std::optional<InputDeviceNodes> waitForInputDevice(std::string_view name, milliseconds timeout, bool joystick)
{
    return lookUntil<InputDeviceNodes>(timeout, [&]() -> std::optional<InputDeviceNodes> {
        for (InputDeviceNodes &device : inputDevices()) {
            if (device.name == name && !device.event.empty() && (!joystick || !device.joystick.empty()))
                return std::move(device);
        }
        return std::nullopt;
    });
}

bool waitForInputDeviceGone(std::string_view name, milliseconds timeout)
{
    return lookUntil<bool>(timeout, [&]() -> std::optional<bool> {
               if (findInputDevice(name))
                   return std::nullopt;
               return true;
           }).has_value();
}

} // namespace kernelinput
