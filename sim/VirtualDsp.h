#pragma once
// The emulated DSP chip behind the mixer's vendor USB interface: it takes whole OUT transfers, answers with
// reply bytes, keeps an emulated flash, runs the command channel and can be told to misbehave.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace NsStrata
{
class VirtualDsp
{
public:
    struct Range
    {
        uint16_t startHigh; // start word address / 65,536
        uint16_t endHigh;
        uint16_t extra;
        std::string name;
    };

    struct Config
    {
        uint16_t vendorId = 0x1D03;
        uint16_t productId = 0x0102;
        uint16_t deviceVersion = 0x0100;
        std::string manufacturer = "Kestrel";
        std::string product = "Voice DSP";
        std::string serialNumber = "VDSP0001";
        uint16_t pageSize = 128; // words
        bool longRecords = true;
        std::vector<Range> ranges = defaultRanges();
    };

    /** Nine ranges of 15 MiB each, named after the jingle slots. */
    static std::vector<Range> defaultRanges();

    enum class Fault
    {
        failWrite,  // the OUT transfer carrying the request fails
        noReply,    // the reply never comes
        shortReply, // only the first half of the reply arrives
    };

    enum Status : uint16_t
    {
        statusDone = 0,
        statusOk = 1,
        statusRefused = 2,
        statusUnknown = 3,
    };

    /** The value command 1 hands out and command 2 must bring back. */
    static constexpr uint32_t sessionToken = 0x00C0FFEE;

    VirtualDsp();
    explicit VirtualDsp(Config config);

    const Config& config() const { return config_; }

    // The USB side, used by the transport.
    /** One OUT transfer; false when a fault makes it fail. */
    bool receive(const uint8_t* data, uint32_t bytes);
    /** Hands out up to maxBytes of the pending reply; false when there is none to give. */
    bool deliver(uint8_t* data, uint32_t maxBytes, uint32_t& got);

    // Behaviour on request.
    /** The next `polls` answers to command `code` say busy with this status and delay (polls < 0: always). */
    void setBusy(uint16_t code, int polls, uint16_t delayMs, uint16_t busyStatus = 0x1234);
    /** The fault strikes the request with this code after `skip` such requests went through, once. */
    void injectFault(Fault fault, uint16_t request, int skip = 0);
    /** The next reply is exactly these bytes, whatever was asked. */
    void setRawReply(std::vector<uint8_t> bytes);
    /** Keeps a copy of every OUT transfer from now on (see transfers()). */
    void recordTransfers(bool on) { recording = on; }
    /** Called with the request code as each request header arrives. */
    void setRequestHook(std::function<void(uint16_t)> hook) { requestHook = std::move(hook); }

    // What happened.
    struct Request
    {
        uint16_t code;
        std::vector<uint16_t> payload;
        uint16_t blockBytes, blockCount;
    };
    struct Command
    {
        uint16_t code, status, delay;
        uint32_t value;
        std::string text;
        double atMs; // since the emulator was made
    };
    const std::vector<Request>& requests() const { return requests_; }
    const std::vector<std::vector<uint8_t>>& transfers() const { return transfers_; }
    const std::vector<Command>& commands() const { return commands_; }
    /** The page count of every page write request, in order. */
    const std::vector<uint32_t>& pageWrites() const { return pageWrites_; }
    /** Requests the chip could not make sense of or refused (with the last reason). */
    int protocolErrors() const { return protocolErrors_; }
    const std::string& lastProtocolError() const { return lastProtocolError_; }
    /** Bytes of flash at a word address; never-written flash reads 0xFF. */
    std::vector<uint8_t> readFlash(uint32_t wordAddress, uint32_t bytes) const;
    uint32_t announcedStart() const { return announcedStart_; }
    uint32_t announcedSize() const { return announcedSize_; }
    const std::string& announcedName() const { return announcedName_; }
    int finishCount() const { return finishCount_; }
    /** Forgets the log of requests and commands (the flash stays). */
    void clearLog();

private:
    struct PendingFault
    {
        Fault fault;
        uint16_t request;
        int skip;
    };
    struct Busy
    {
        int polls;
        uint16_t delay, status;
    };

    bool takeFault(Fault fault, uint16_t request);
    bool receiveHeader(const uint8_t* data, uint32_t bytes);
    void receiveBlock(const uint8_t* data, uint32_t bytes);
    void answer();
    void answerCommand(const std::vector<uint16_t>& payload, const uint8_t* raw);
    void refuse(const std::string& why);
    void reply(uint16_t status);
    void replyLong(uint16_t status, const std::vector<uint8_t>& data);
    void replyShort(uint16_t status, const std::vector<uint8_t>& data);
    void replyCommand(uint16_t status, uint16_t delay, uint32_t value, const uint8_t* text);
    uint8_t* flashAt(uint32_t wordAddress);
    int rangeOf(uint32_t wordAddress) const;
    double nowMs() const;

    Config config_;
    std::vector<std::vector<uint8_t>> flash; // per range, made on the first write
    std::vector<PendingFault> faults;
    std::map<uint16_t, Busy> busy;
    std::vector<uint8_t> rawReply;
    bool haveRawReply = false;
    std::function<void(uint16_t)> requestHook;

    // The request being received and the reply being handed out.
    Request current{};
    uint8_t currentRaw[128] = {};
    uint32_t blocksLeft = 0;
    std::vector<uint8_t> pending;
    size_t pendingAt = 0;
    bool replyReady = false;
    bool silent = false;
    bool recording = false;

    // The write sequence the chip is in.
    int writeRange = -1;
    uint32_t writeAddress = 0;

    std::vector<Request> requests_;
    std::vector<std::vector<uint8_t>> transfers_;
    std::vector<Command> commands_;
    std::vector<uint32_t> pageWrites_;
    int protocolErrors_ = 0;
    std::string lastProtocolError_;
    uint32_t announcedStart_ = 0, announcedSize_ = 0;
    std::string announcedName_;
    int finishCount_ = 0;
    double startMs;
};
} // namespace NsStrata
