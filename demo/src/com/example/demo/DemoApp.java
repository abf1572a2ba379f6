package com.example.demo;

import java.lang.management.ManagementFactory;

/** The sample application that the demo starts through the launcher. */
public final class DemoApp {
    private DemoApp() {}

    public static void main(String[] args) throws InterruptedException {
        System.out.println("Hello from " + System.getProperty("java.vm.name") + " "
                + System.getProperty("java.version") + " (" + System.getProperty("os.arch") + ")");
        System.out.println("arguments (" + args.length + "):");
        for (String arg : args) {
            System.out.println("  [" + arg + "]");
        }
        System.out.println("java.class.path   = " + System.getProperty("java.class.path"));
        System.out.println("java.library.path = " + System.getProperty("java.library.path"));
        System.out.println("VX_JVM_HOME       = " + System.getenv("VX_JVM_HOME"));
        System.out.println("VX_JVM_PATH       = " + System.getenv("VX_JVM_PATH"));
        System.out.println("user.dir          = " + System.getProperty("user.dir"));
        System.out.println("JVM input arguments:");
        for (String input : ManagementFactory.getRuntimeMXBean().getInputArguments()) {
            System.out.println("  " + input);
        }
        System.out.println("max heap          = " + Runtime.getRuntime().maxMemory() / (1024 * 1024) + " MB");
        // "--pause-ms=N" keeps main (and with it the launcher's splash window) up for N ms.
        for (String arg : args) {
            if (arg.startsWith("--pause-ms=")) {
                Thread.sleep(Long.parseLong(arg.substring("--pause-ms=".length())));
            }
        }
    }
}
