#pragma once
// The start-up exchange after a connection: the requests that read the device's state, the moment the link
// counts as synchronised, and the mode selector that follows once. Message thread.

namespace NsStrata
{
class Host;

/** Queues the identity request, the first message to a device just connected. */
void queueIdentityRequest(Host& host);
/** Queues the dump requests (status block, then each mode) while a handshake is pending. */
void queueStartupRequests(Host& host);
/** Once the status block and every mode block have arrived, the link is synchronised and the gate opens. */
void checkSynchronised();
/** Queues the mode selector of the current mode once per synchronisation. */
void queueModeSelectorOnce(Host& host);
} // namespace NsStrata
