#pragma once
// The process-wide host of the device link: owns the settings store (with the state tree) and the MIDI
// connection.
#include "FlushScheduler.h"
#include "MidiBytes.h"
#include "PortBackend.h"
#include "SendEnvelope.h"
#include "store/SettingsStore.h"

#include <functional>
#include <memory>

namespace NsStrata
{
class LinkListener;
class IncomingHandOff;
struct IncomingMessage;

/** Accepts or rejects a model number (model filter) or a port number (port filter). */
using NumberFilter = std::function<bool(int)>;

class Host
{
public:
    class MidiInputHandler;

    /** The one Host, created on first use and kept until the process ends. */
    static Host* getInstance();
    /** Creates the one Host around the given settings store (one without a file leaves the user's settings
        alone); false, and the store dropped, when the Host exists already. */
    static bool createInstance(std::unique_ptr<SettingsStore> store);
    /** Deletes the instance: at the end of the program, while the framework still runs, and between tests. */
    static void deleteInstance();

    virtual ~Host();

    SettingsStore& settings() { return *settingsStore; }
    juce::ValueTree& state() { return settingsStore->state(); }

    /** Where ports come from: the system's (installed by the program) or the virtual mixer's. */
    void setPortBackend(std::shared_ptr<PortBackend> backend);
    PortBackend& portBackend() { return *backend; }
    /** Changes whenever another backend is installed. */
    int portBackendSerial() const { return backendSerial; }

    /** The screen side; null until the main screen exists. Message thread only. */
    void setListener(LinkListener* newListener) { listener = newListener; }
    LinkListener* linkListener() const { return listener; }

    /** Opens the ports that pass the filters, replacing the connection when recreate is set or there is none.
        With enabled false it closes every port and the link: a scan or a flush that is pausing in the message
        loop meanwhile opens and sends nothing more. True when a pair is open. */
    bool connect(bool recreate, bool enabled, const NumberFilter& modelFilter,
                 const NumberFilter& portFilter);
    /** The main screen's teardown of the link: no more automatic connecting, every port and the link closed
        (see connect), and no listener. Safe to call from inside a poll tick that is running the loop. */
    void closeLink();
    /** The link was closed (connect with enabled false) and not connected since. */
    bool isLinkClosed() const { return linkClosed; }
    /** A MIDI connection exists (it may have no open port). */
    bool hasConnection() const { return connection != nullptr; }
    MidiInputHandler* midiConnection() const { return connection.get(); }

    /** Sends one message on the current output; false when there is none. Should the device still be owed
        the quiet time of the message before (a mode block sent during a flush's pause, a flush that starts
        during a mode block's), the message loop runs until it has passed; false when the link closes or
        the application quits meanwhile. */
    bool sendToDevice(const MidiBytes& message);
    /** An output is open, no flush is sending and the device owes no quiet time: a message sent now goes
        out without waiting (the meter poll sends only then). */
    bool canSendAtOnce() const;
    /** Sends the queued entries the pacing allows now, up to six, each followed by its pause; with none
        allowed yet it sends nothing and keeps the queue. The rest of the batch is dropped when the link is
        closed, the connection replaced, the device pulled, or the application quits, during a pause. A call
        made while a flush runs does nothing. */
    void flushQueue();

    /** Flushes start as soon as entries are queued, while the poll tick finds the device's port. */
    FlushScheduler& flushes() { return *scheduler; }

    /** Applies, in arrival order, what the input ports delivered. Message thread. */
    IncomingHandOff& incoming() { return *handOff; }

private:
    explicit Host(std::unique_ptr<SettingsStore> store);
    /** Runs the message loop until untilMs (monotonic); false when the link closes or the application quits
        meanwhile. */
    bool waitUntil(double untilMs);
    void afterIncoming(const IncomingMessage& message);

    std::unique_ptr<SettingsStore> settingsStore;
    std::shared_ptr<PortBackend> backend;
    std::unique_ptr<IncomingHandOff> handOff;
    std::unique_ptr<MidiInputHandler> connection;
    LinkListener* listener = nullptr;
    bool linkClosed = false; // since the last connect with enabled false; message thread
    double quietUntilMs = 0; // when the device may take the next message (monotonic); message thread
    int connectionCount = 0; // bumped whenever the connection is closed or replaced; message thread
    int backendSerial = 0;
    bool flushing = false;
    SendEnvelope sent;
    std::unique_ptr<FlushScheduler> scheduler; // last: it flushes through the members above
};
} // namespace NsStrata
