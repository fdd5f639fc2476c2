#pragma once

namespace sound
{

// Why there is no sound, or no more: facts, for the game to put into words.
enum class Trouble {
    NoLibrary, // the client library is missing or cannot be used
    NoServer,  // no server takes the connection
    NoAnswer,  // a server took it and did not answer in time
    Refused,   // the server refused the stream
    Lost,      // the connection or the stream broke down after it was ready
};

} // namespace sound
