#pragma once
// The emulated DSP chip behind the mixer's vendor USB interface: it takes whole OUT transfers, answers with
// reply bytes, keeps an emulated NOR flash, runs the command channel and can be told to misbehave.
//
// It is strict. A request it refuses stalls the pipe (the OUT transfer fails), so a refusal can never pass
// for success, and every refusal is counted as a protocol error. The write sequence must follow the
// commands: 1, then 2 with what 1 answered, then 3 naming a range's start, then 8 announcing the size; then
// begin at that range's start (page aligned), page writes inside the range, end (the pages written must cover
// the announced size and no more than its last page) and finish. Flash behaves like NOR flash: begin erases
// the whole range that command 3 selected (every byte becomes 0xFF), and a write can only clear bits; a write
// that would have to set one is a protocol error and leaves the AND of old and new.
#include <cstdint>
#include <deque>
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
        bool refusesOpen = false; // the interface is listed, but this user may not open it
    };

    /** Nine ranges of 15 MiB each, named after the jingle slots. */
    static std::vector<Range> defaultRanges();

    enum class Fault
    {
        failWrite,  // the OUT transfer carrying the request fails
        noReply,    // the reply never comes
        shortReply, // only the first half of the reply arrives
        lateReply,  // the reply comes only after the host has given up waiting for it
    };

    enum Status : uint16_t
    {
        statusDone = 0,
        statusOk = 1,
    };

    /** The value command 1 hands out and command 2 must bring back. */
    static constexpr uint32_t sessionToken = 0x00C0FFEE;

    VirtualDsp();
    explicit VirtualDsp(Config config);

    const Config& config() const { return config_; }

    // The USB side, used by the transport.
    /** One OUT transfer; false when the chip stalls it (a fault, or a request it refuses). */
    bool receive(const uint8_t* data, uint32_t bytes);
    /** Hands out up to maxBytes of the first pending reply (one reply per read, as the packets of a bulk
        transfer end it); false when there is none to give. */
    bool deliver(uint8_t* data, uint32_t maxBytes, uint32_t& got);

    // Behaviour on request.
    /** The next `polls` answers to command `code` say busy with this status and delay (polls < 0: always). */
    void setBusy(uint16_t code, int polls, uint16_t delayMs, uint16_t busyStatus = 0x1234);
    /** The fault strikes the request with this code after `skip` such requests went through, once. */
    void injectFault(Fault fault, uint16_t request, int skip = 0);
    /** The request with this code, after `skip` such requests, is carried out but answered with exactly these
        bytes. */
    void injectReply(uint16_t request, std::vector<uint8_t> bytes, int skip = 0);
    /** The next request is taken without any check and answered with exactly these bytes, whatever was
        asked: for testing the transport's framing. */
    void setRawReply(std::vector<uint8_t> bytes);
    /** A reply already waiting in the IN direction, left from an exchange broken off before the host came. */
    void leaveStaleReply(std::vector<uint8_t> bytes);
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
    /** Requests the chip refused or could not make sense of, and writes into unerased flash (with the last
        reason). */
    int protocolErrors() const { return protocolErrors_; }
    const std::string& lastProtocolError() const { return lastProtocolError_; }
    /** Bytes of flash at a word address; never-written flash reads 0xFF. */
    std::vector<uint8_t> readFlash(uint32_t wordAddress, uint32_t bytes) const;
    uint32_t announcedStart() const { return announcedStart_; }
    uint32_t announcedSize() const { return announcedSize_; }
    const std::string& announcedName() const { return announcedName_; }
    int finishCount() const { return finishCount_; }
    int eraseCount() const { return eraseCount_; }
    /** Forgets the log of requests and commands (the flash stays). */
    void clearLog();

private:
    struct PendingFault
    {
        Fault fault;
        uint16_t request;
        int skip;
    };
    struct InjectedReply
    {
        uint16_t request;
        int skip;
        std::vector<uint8_t> bytes;
    };
    struct Busy
    {
        int polls;
        uint16_t delay, status;
    };
    // How far a transfer has come, in the order the device requires.
    enum class Stage
    {
        idle,
        opened,    // command 1
        confirmed, // command 2 with command 1's value
        targeted,  // command 3
        announced, // command 8
        writing,   // begin
        ended,     // end
    };

    bool takeFault(Fault fault, uint16_t request);
    bool receiveHeader(const uint8_t* data, uint32_t bytes);
    bool receiveBlock(const uint8_t* data, uint32_t bytes);
    bool answer();
    bool answerCommand(const std::vector<uint16_t>& payload, const uint8_t* raw, std::vector<uint8_t>& reply);
    bool refuse(const std::string& why);
    void protocolError(const std::string& why);
    void queueReply(std::vector<uint8_t> reply);
    void erase(int range);
    void program(uint32_t wordAddress, const uint8_t* data, uint32_t bytes);
    uint8_t* flashAt(uint32_t wordAddress);
    int rangeOf(uint32_t wordAddress) const;
    int rangeStartingAt(uint32_t wordAddress) const;
    uint32_t rangeEnd(int range) const;
    double nowMs() const;

    Config config_;
    std::vector<std::vector<uint8_t>> flash; // per range, made on the first write
    std::vector<PendingFault> faults;
    std::vector<InjectedReply> injected;
    std::map<uint16_t, Busy> busy;
    std::vector<uint8_t> rawReply;
    bool haveRawReply = false;
    std::function<void(uint16_t)> requestHook;

    // The request being received, and the replies waiting in the IN direction.
    Request current{};
    uint8_t currentRaw[128] = {};
    bool currentIsRaw = false;
    uint32_t blocksLeft = 0;
    std::deque<std::vector<uint8_t>> inQueue;
    size_t frontAt = 0;
    std::vector<std::vector<uint8_t>> late; // replies that come after the host stopped waiting
    bool recording = false;

    // The transfer the chip is in.
    Stage stage = Stage::idle;
    int targetRange = -1;
    uint32_t writeAddress = 0;
    uint64_t writtenBytes = 0;

    std::vector<Request> requests_;
    std::vector<std::vector<uint8_t>> transfers_;
    std::vector<Command> commands_;
    std::vector<uint32_t> pageWrites_;
    int protocolErrors_ = 0;
    std::string lastProtocolError_;
    uint32_t announcedStart_ = 0, announcedSize_ = 0;
    std::string announcedName_;
    int finishCount_ = 0;
    int eraseCount_ = 0;
    double startMs;
};
} // namespace NsStrata
