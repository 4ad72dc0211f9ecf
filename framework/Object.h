#pragma once

// Root of the framework's classes: gives every object a virtual destructor.
class CObject
{
public:
    virtual ~CObject() = default;
};
