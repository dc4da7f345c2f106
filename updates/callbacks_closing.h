#pragma once
// Process-wide switch for the agent callbacks. Once teardown has begun, the
// agent may still call back while its last references are released; every
// callback then returns at once without touching the program.

void SetAgentCallbacksClosing(bool closing);
bool AgentCallbacksClosing();
