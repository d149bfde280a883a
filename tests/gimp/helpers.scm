; Shared helpers of the plug-in's tests in the real GIMP. The driver defines
; `test-dir` before loading this file. Checks done inside GIMP go to
; results.txt; pixel comparisons that need the command-line tool go to
; manifest.txt, which the driver carries out after GIMP has quit.

(define results (open-output-file (string-append test-dir "/results.txt")))
(define manifest (open-output-file (string-append test-dir "/manifest.txt")))

(define (write-line port . items)
  (for-each (lambda (item) (display item port)) items)
  (newline port))

(define (check name ok detail)
  (if ok
      (write-line results "ok " name)
      (write-line results "FAIL " name ": " detail)))

(define (finish-tests)
  (write-line results "done")
  (close-output-port results)
  (close-output-port manifest)
  (for-each gimp-image-delete (vector->list (cadr (gimp-image-list)))))

; Runs thunk and returns (ok . values), or (error message) when the call
; fails, so that one failing procedure does not end the whole script.
(define (try thunk)
  (let* ((saved *error-hook*)
         (result (call/cc
                  (lambda (return)
                    (set! *error-hook* (lambda args (return (cons 'error args))))
                    (cons 'ok (thunk))))))
    (set! *error-hook* saved)
    result))

(define (failed? result) (eq? (car result) 'error))

(define (string-contains? text part)
  (let ((n (string-length text)) (m (string-length part)))
    (let loop ((i 0))
      (cond ((> (+ i m) n) #f)
            ((string=? (substring text i (+ i m)) part) #t)
            (else (loop (+ i 1)))))))

(define (error-mentions? result part)
  (and (failed? result)
       (string? (cadr result))
       (string-contains? (cadr result) part)))

(define (path name) (string-append test-dir "/" name))

; Saves one drawable's bytes as they are, transparent pixels included.
(define (save-png drawable name)
  (test-ormolo2-save-png RUN-NONINTERACTIVE drawable (path name)))

; A width x height layer at (x, y) in a canvas-width x canvas-height image: a
; dark background with a white ellipse (antialiased edge) and a white bar.
; With alpha, the right quarter is half transparent. Returns (image layer).
(define (make-shape canvas-width canvas-height type x y width height)
  (let* ((image (car (gimp-image-new canvas-width canvas-height RGB)))
         (layer (car (gimp-layer-new image width height type "shape" 100
                                     LAYER-MODE-NORMAL))))
    (gimp-image-insert-layer image layer 0 0)
    (gimp-layer-set-offsets layer x y)
    (gimp-context-set-antialias TRUE)
    (gimp-context-set-foreground '(40 30 20))
    (gimp-drawable-fill layer FILL-FOREGROUND)
    (gimp-context-set-foreground '(255 255 255))
    (gimp-image-select-ellipse image CHANNEL-OP-REPLACE
                               (+ x (/ width 8)) (+ y (/ height 6))
                               (/ width 2) (* 2 (/ height 3)))
    (gimp-image-select-rectangle image CHANNEL-OP-ADD
                                 (+ x (* 5 (/ width 8))) (+ y (/ height 4))
                                 (/ width 4) (/ height 2))
    (gimp-drawable-edit-fill layer FILL-FOREGROUND)
    (if (= type RGBA-IMAGE)
        (begin
          (gimp-image-select-rectangle image CHANNEL-OP-REPLACE
                                       (+ x (* 3 (/ width 4))) y (/ width 4) height)
          (gimp-drawable-edit-clear layer)
          (gimp-context-set-foreground '(255 255 255))
          (gimp-context-set-opacity 50)
          (gimp-drawable-edit-fill layer FILL-FOREGROUND)
          (gimp-context-set-opacity 100)))
    (gimp-selection-none image)
    (list image layer)))

; Settings as the six numbers of the procedure's arguments 3 to 8:
; (invert slope radius depth-flat depth-round depth-round2).
(define (settings-arguments settings)
  (let ((invert (list-ref settings 0)))
    (string-append (if (= invert 0) "" "--invert ")
                   "--slope " (number->string (list-ref settings 1))
                   " --max-blur-radius " (number->string (list-ref settings 2))
                   " --depth-flat " (number->string (list-ref settings 3))
                   " --depth-round " (number->string (list-ref settings 4))
                   " --depth-round2 " (number->string (list-ref settings 5)))))

(define default-settings '(0 3 3 10 7 20))

(define (render-noninteractive image layer settings)
  (plug-in-ormolo2 RUN-NONINTERACTIVE image layer
                   (list-ref settings 0) (list-ref settings 1) (list-ref settings 2)
                   (list-ref settings 3) (list-ref settings 4) (list-ref settings 5)
                   -1 1.0))

; Renders through `render` (a procedure of image and layer) and asks the
; driver to check the result against the command-line tool with `settings`.
; `area` is #f for the whole layer, or (x y width height) in layer
; coordinates for a selection: then the tool renders that crop of the input,
; and everything outside it must stay as it was.
(define (expect-render name image layer area settings render)
  (expect-render-with-options name image layer area (settings-arguments settings) render))

; As expect-render, with the command-line tool's options given as a string.
(define (expect-render-with-options name image layer area options render)
  (save-png layer (string-append name "-in.png"))
  (if area
      (let* ((copy (car (gimp-image-duplicate image)))
             (crop (car (gimp-image-get-active-layer copy))))
        (gimp-layer-resize crop (list-ref area 2) (list-ref area 3)
                           (- (list-ref area 0)) (- (list-ref area 1)))
        (save-png crop (string-append name "-in-crop.png"))
        (gimp-image-delete copy)
        (let ((offsets (gimp-drawable-offsets layer)))
          (gimp-image-select-rectangle image CHANNEL-OP-REPLACE
                                       (+ (car offsets) (list-ref area 0))
                                       (+ (cadr offsets) (list-ref area 1))
                                       (list-ref area 2) (list-ref area 3)))))
  (let ((result (try (lambda () (render image layer)))))
    (check (string-append name "-runs") (not (failed? result)) result))
  (gimp-selection-none image)
  (save-png layer (string-append name "-gimp.png"))
  (write-line manifest "render " name " "
              (if area
                  (string-append "+" (number->string (list-ref area 0))
                                 "+" (number->string (list-ref area 1)))
                  "-")
              " " options))

; Asks the driver to check that two saved PNGs hold the same pixels. Names
; and file names must not contain spaces.
(define (expect-same name first second)
  (write-line manifest "same " name " " first " " second))

; The 48-byte settings record that GIMP keeps for the plug-in, as a list of
; bytes. `settings` holds the eight values of the procedure's arguments 3 to
; 10: (invert slope radius depth-flat depth-round depth-round2 probe
; specularity). The int32 and float fields are little-endian, the double
; follows a 4-byte alignment gap, and the record ends with the preview switch
; and another gap.
(define (settings-record settings preview)
  (let ((field (lambda (i) (list-ref settings i)))
        (gap '(0 0 0 0)))
    (append (int32-bytes (field 0)) (int32-bytes (field 1)) (int32-bytes (field 2))
            (float-bytes (field 3)) (float-bytes (field 4)) (float-bytes (field 5))
            (int32-bytes (field 6)) gap (double-bytes (field 7)) (int32-bytes preview) gap)))

(define (store-record bytes)
  (gimp-procedural-db-set-data "plug-in-ormolo2" (length bytes) (list->vector bytes)))

(define (int32-bytes value)
  (let loop ((value (if (< value 0) (+ value 4294967296) value)) (count 4) (bytes '()))
    (if (= count 0)
        (reverse bytes)
        (loop (quotient value 256) (- count 1) (cons (remainder value 256) bytes)))))

(define (float-bytes value) (ieee-bytes value 8 23))
(define (double-bytes value) (ieee-bytes value 11 52))

; Little-endian IEEE 754 bytes of a finite number, rounded to the nearest
; value of the format (ties to even), with `exponent-bits` and
; `fraction-bits`. Normal numbers and zero only. The fraction and the sign
; with the exponent are kept apart: each is exact in a double, their sum
; would not be.
(define (ieee-bytes value exponent-bits fraction-bits)
  (let* ((bias (- (expt 2 (- exponent-bits 1)) 1))
         (one (expt 2.0 fraction-bits))
         (count (/ (+ 1 exponent-bits fraction-bits) 8))
         (sign (if (< value 0) 1 0))
         (magnitude (abs (exact->inexact value))))
    (if (= magnitude 0)
        (ieee-fields 0 0 one count)
        (let* ((exponent (binary-exponent magnitude))
               (fraction (round (* (- (/ magnitude (expt 2.0 exponent)) 1) one))))
          (if (= fraction one)  ; rounded up to the next power of two
              (set! exponent (+ exponent 1)))
          (ieee-fields (if (= fraction one) 0 fraction)
                       (+ (* sign (expt 2 exponent-bits)) exponent bias)
                       one count)))))

(define (ieee-fields fraction sign-and-exponent one count)
  (let loop ((i (- count 1)) (bytes '()))
    (if (< i 0)
        bytes
        (loop (- i 1) (cons (+ (byte-of fraction i) (byte-of (* sign-and-exponent one) i)) bytes)))))

; The e with 2^e <= magnitude < 2^(e+1).
(define (binary-exponent magnitude)
  (let loop ((e 0))
    (cond ((>= magnitude (expt 2.0 (+ e 1))) (loop (+ e 1)))
          ((< magnitude (expt 2.0 e)) (loop (- e 1)))
          (else e))))

; Byte i, counted from the least significant, of a non-negative integral
; number held exactly as a double.
(define (byte-of number i)
  (let ((shifted (floor (/ number (expt 2.0 (* 8 i))))))
    (inexact->exact (- shifted (* 256 (floor (/ shifted 256)))))))
