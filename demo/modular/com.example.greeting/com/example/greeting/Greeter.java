package com.example.greeting;

/** Makes the greeting; lives in its own module so that the sample has a module path to resolve. */
public final class Greeter {
    private Greeter() {}

    public static String greet(String who) {
        return "Hello, " + who + ", from module " + Greeter.class.getModule().getName();
    }
}
